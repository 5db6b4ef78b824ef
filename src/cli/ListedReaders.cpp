// The readers kx12rctl finds, and the one a serial number chooses.
#include "cli/ListedReaders.h"

#include <algorithm>

#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "base/SingleByteText.h"
#include "reader/Firmware.h"
#include "reader/ReaderIdentity.h"

namespace kx12r::cli {
namespace {

constexpr std::chrono::milliseconds kLateReaderPoll{250};

}  // namespace

bool ListedReader::Configurable() const { return !access_denied && record.Cached().Configurable(); }

int ListedReader::Handle() const { return record.Cached().Handle(); }

ListedReader ReadReader(HidLibrary& hid, int handle) {
  ListedReader reader;
  reader.access_denied = hid.IsAccessDenied(handle);
  if (!reader.access_denied) {
    reader.record = ReadDevice(hid, handle);
    return reader;
  }
  reader.record.cells[kColHandle] = QString::number(handle);
  reader.record.cells[kColProductId] = HexWord(hid.GetProductID(handle));
  reader.record.cells[kColVersion] = VersionText(hid.GetVersion(handle));
  reader.record.cells[kColSerialNumber] = FromSingleByte(hid.GetSerialNumber(handle));
  return reader;
}

std::vector<ListedReader> ListReaders(HidLibrary& hid, WaitClock& clock) {
  std::vector<std::pair<int, ListedReader>> found;  // by place in the enumeration
  std::vector<std::pair<int, int>> late;            // place and handle of silent readers
  if (!hid.Connect()) return {};
  // A reader plugged in a moment ago may still be in udev's hands: it is waited for, bounded.
  int count = hid.GetItemCount();
  for (const auto start = clock.Now();
       hid.GetPendingReaderCount() > 0 && clock.Now() - start < kLateReaderGrace;) {
    clock.Sleep(kLateReaderPoll);
    count = hid.GetItemCount();
  }
  for (int i = 0; i < count; ++i) {
    const int handle = hid.GetItem(i);
    if (!IsReaderIdentity(hid.GetVendorID(handle), hid.GetProductID(handle))) continue;
    ListedReader reader = ReadReader(hid, handle);
    if (reader.record.silent) late.emplace_back(i, handle);
    if (reader.access_denied || reader.record.is_reader) found.emplace_back(i, reader);
  }
  // A reader that has just appeared may not answer yet: it is asked again for a while.
  const auto start = clock.Now();
  while (!late.empty() && clock.Now() - start < kLateReaderGrace) {
    clock.Sleep(kLateReaderPoll);
    std::erase_if(late, [&](const std::pair<int, int>& place_and_handle) {
      ListedReader reader;
      reader.record = ReadDevice(hid, place_and_handle.second);
      if (reader.record.silent) return false;
      if (reader.record.is_reader) found.emplace_back(place_and_handle.first, reader);
      return true;
    });
  }
  std::ranges::sort(found, {}, &std::pair<int, ListedReader>::first);
  std::vector<ListedReader> readers;
  for (auto& [place, reader] : found) readers.push_back(std::move(reader));
  return readers;
}

Choice ChooseReader(const std::vector<ListedReader>& readers, const QString& serial) {
  std::vector<const ListedReader*> found;
  for (const ListedReader& reader : readers) {
    if (reader.Serial() == serial) found.push_back(&reader);
  }
  if (found.empty()) {
    return {std::nullopt, QStringLiteral("Считыватель с серийным номером ") + Quoted(serial) +
                              QStringLiteral(" не найден.")};
  }
  // Two readers with one number happen (hence the window's checks); neither is guessed at.
  if (found.size() > 1) {
    return {std::nullopt, QStringLiteral("Серийный номер ") + Quoted(serial) +
                              QStringLiteral(" не является уникальным для загруженных "
                                             "HID-устройств: его носят ") +
                              QString::number(found.size()) +
                              QStringLiteral(" считывателя. Задайте им разные номера.")};
  }
  if (found.front()->access_denied) {
    return {std::nullopt,
            NoAccessMessage(found.front()->record[kColProductId], found.front()->Serial())};
  }
  return {*found.front(), QString()};
}

}  // namespace kx12r::cli
