// The discovery pass that fills the device list from the HID devices present.
#include "link/DeviceDiscovery.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <utility>

#include "base/NumericText.h"
#include "reader/DeviceReading.h"
#include "reader/ReportExchange.h"

namespace kx12r {
namespace {

constexpr std::chrono::milliseconds kDevicePoll{500};
constexpr std::chrono::seconds kDeviceWaitLimit{30};
constexpr int kShownRowHeight = 240;

}  // namespace

CachedReader ReaderInRow(const FlexGrid& device_table, int row) {
  return CachedReader(
      [&device_table, row](int column) { return device_table.TextMatrix(row, column); });
}

DeviceDiscovery::DeviceDiscovery(HidLibrary& hid, FlexGrid& device_table, StatusPanels& status,
                                 DiscoveryView& view, WaitClock& clock, const bool& shut_down)
    : hid_(hid),
      device_table_(device_table),
      status_(status),
      view_(view),
      clock_(clock),
      shut_down_(shut_down) {}

bool DeviceDiscovery::DeviceListUnchanged() {
  const int count = hid_.GetItemCount();
  if (device_table_.Rows() != count + 1) return false;
  for (int i = 0; i < count; ++i) {
    const int handle = hid_.GetItem(i);
    bool listed = false;
    for (int row = 1; row <= count && !listed; ++row) {
      listed = ReaderInRow(device_table_, row).Handle() == handle;
    }
    if (!listed) return false;
  }
  return true;
}

int DeviceDiscovery::WaitForDevices() {
  const auto start = clock_.Now();
  bool busy_pointer = false;
  int count = hid_.GetItemCount();
  while (count == 0 && clock_.Now() - start < kDeviceWaitLimit) {
    if (!busy_pointer) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    busy_pointer = true;
    clock_.Pause(kDevicePoll);
    // The window may have closed meanwhile: the library is disconnected then.
    if (shut_down_) break;
    count = hid_.GetItemCount();
  }
  if (busy_pointer) QGuiApplication::restoreOverrideCursor();
  return count;
}

int DeviceDiscovery::CountListedReaders() const {
  int shown = 0;
  for (int row = 1; row < device_table_.Rows(); ++row) {
    if (device_table_.RowHeight(row) > 0) ++shown;
  }
  return shown;
}

bool DeviceDiscovery::Run(bool force, int selected_handle) {
  busy_ = true;
  const auto idle = qScopeGuard([this] { busy_ = false; });
  if (!force && DeviceListUnchanged() && !LateReaderAnswered()) return false;

  // The selection follows the reader, not the row: a device plugged in above it shifts rows.
  const int remembered_handle = selected_handle;
  const int count = WaitForDevices();
  if (shut_down_) return false;
  device_table_.SetRows(count + 1);
  if (count > 0) view_.ShowProgress(count);
  int readers = 0;
  int last_reader_row = 0;
  // Only devices still listed keep their place among the late readers.
  const std::map<int, std::chrono::milliseconds> late_before = std::exchange(late_readers_, {});
  for (int i = 0; i < count; ++i) {
    FillDeviceRow(i + 1, hid_.GetItem(i), readers, last_reader_row, late_before);
    // A message about a reader's reply lets the window close in the middle of the list.
    if (shut_down_) return false;
    view_.SetProgress(i + 1);
  }
  view_.HideProgress();

  // Keep the selected reader while it is still listed; a hidden device is never selected.
  int chosen = last_reader_row;
  for (int row = 1; row <= count && remembered_handle != 0; ++row) {
    if (device_table_.RowHeight(row) > 0 &&
        ReaderInRow(device_table_, row).Handle() == remembered_handle) {
      chosen = row;
    }
  }
  if (readers == 0) {
    device_table_.SetColSel(0);
  } else {
    device_table_.SetRow(chosen);
    device_table_.SetCol(0);
    device_table_.SetColSel(device_table_.Cols() - 1);
  }
  device_table_.setEnabled(readers > 0);
  view_.ShowReadersPresent(readers > 0);
  ShowReaderCount();
  return true;
}

bool DeviceDiscovery::LateReaderAnswered() {
  bool answered = false;
  for (auto late = late_readers_.begin(); late != late_readers_.end();) {
    const auto [handle, first_silent] = *late;
    if (clock_.Now() - first_silent > kLateReaderGrace) {
      late = late_readers_.erase(late);  // left hidden
      continue;
    }
    const std::optional<QString> reply = AskReader(hid_, handle, command::kQueryVariant);
    if (!reply) {
      ++late;
      continue;
    }
    // A refusal or "0" hides it for good, as at its first answer.
    answered = answered || LeadingInteger(*reply) > 0;
    late = late_readers_.erase(late);
  }
  return answered;
}

void DeviceDiscovery::FillDeviceRow(int row, int handle, int& readers, int& last_reader_row,
                                    const std::map<int, std::chrono::milliseconds>& late_before) {
  const DeviceRecord device = ReadDevice(hid_, handle);
  if (device.silent) {
    const auto known = late_before.find(handle);
    late_readers_[handle] = known != late_before.end() ? known->second : clock_.Now();
  }
  for (int col = 0; col < kDeviceColumnCount; ++col) {
    device_table_.SetTextMatrix(row, col, device.cells[col]);
  }
  if (device.is_reader) {
    ++readers;
    last_reader_row = row;
  }
  device_table_.SetRowHeight(row, device.is_reader ? kShownRowHeight : 0);
}

void DeviceDiscovery::ShowReaderCount() {
  const int readers = CountListedReaders();
  if (readers == 0) {
    status_.SetStatus(StatusIcon::kStop, kNoDevices, 1);
  } else {
    status_.SetStatus(StatusIcon::kNone,
                      QStringLiteral("Подключенных устройств: ") + QString::number(readers), 1);
  }
}

}  // namespace kx12r
