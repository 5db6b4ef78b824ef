// The readers kx12rctl finds, and the one a serial number chooses.
#include "cli/ListedReaders.h"

#include "base/MessageBox.h"
#include "reader/DeviceReading.h"
#include "reader/ReaderScan.h"
#include "shown/ShownSettings.h"
#include "shown/ReaderMessages.h"

namespace kx12r::cli {

std::vector<ConnectedReader> ListReaders(HidLibrary& hid, WaitClock& clock) {
  std::vector<ConnectedReader> readers = ScanReaders(hid, clock);
  for (const ConnectedReader& reader : readers) TellRefusedQueries(reader);
  return readers;
}

Choice ChooseReader(const std::vector<ConnectedReader>& readers, const QString& serial) {
  std::vector<const ConnectedReader*> found;
  for (const ConnectedReader& reader : readers) {
    if (reader.identity.serial_number == serial) found.push_back(&reader);
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
  if (found.front()->access_denied) return {std::nullopt, NoAccessMessage(*found.front())};
  return {*found.front(), QString()};
}

}  // namespace kx12r::cli
