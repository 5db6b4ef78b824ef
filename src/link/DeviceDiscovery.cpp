// The discovery pass that fills the device list from the HID devices present.
#include "link/DeviceDiscovery.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <algorithm>
#include <utility>

#include "reader/DeviceReading.h"
#include "shown/ReaderMessages.h"
#include "shown/ShownSettings.h"

namespace kx12r {
namespace {

constexpr std::chrono::milliseconds kDevicePoll{500};
constexpr std::chrono::seconds kDeviceWaitLimit{30};

}  // namespace

DeviceDiscovery::DeviceDiscovery(HidLibrary& hid, DeviceList& devices, StatusPanels& status,
                                 DiscoveryView& view, WaitClock& clock, const bool& shut_down)
    : devices_(devices),
      status_(status),
      view_(view),
      clock_(clock),
      shut_down_(shut_down),
      scan_(hid, clock) {}

bool DeviceDiscovery::DeviceListUnchanged() {
  const std::vector<HidDeviceInfo>& present = scan_.Enumerate().devices;
  return devices_.Devices().size() == present.size() &&
         std::ranges::all_of(present, [&](const HidDeviceInfo& device) {
           return devices_.RowOf(device.handle) != 0;
         });
}

int DeviceDiscovery::WaitForDevices() {
  const auto start = clock_.Now();
  bool busy_pointer = false;
  int count = static_cast<int>(scan_.Enumerate().devices.size());
  while (count == 0 && clock_.Now() - start < kDeviceWaitLimit) {
    if (!busy_pointer) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    busy_pointer = true;
    clock_.Pause(kDevicePoll);
    // The window may have closed meanwhile: the library is disconnected then.
    if (shut_down_) break;
    count = static_cast<int>(scan_.Enumerate().devices.size());
  }
  if (busy_pointer) QGuiApplication::restoreOverrideCursor();
  return count;
}

int DeviceDiscovery::CountListedReaders() const { return devices_.ListedCount(); }

bool DeviceDiscovery::Run(bool force, int selected_handle) {
  busy_ = true;
  const auto idle = qScopeGuard([this] { busy_ = false; });
  if (!force && DeviceListUnchanged() && !LateReaderAnswered()) return false;

  // The selection follows the reader, not the row: a device plugged in above it shifts rows.
  const int remembered_handle = selected_handle;
  const int count = WaitForDevices();
  if (shut_down_) return false;
  devices_.Restart(count);
  if (count > 0) view_.ShowProgress(count);
  int last_reader_row = 0;
  // The enumeration WaitForDevices took: the list shows that moment.
  const std::vector<HidDeviceInfo> present = scan_.Devices().devices;
  for (int i = 0; i < count; ++i) {
    ConnectedReader device = scan_.Read(present[i]);
    if (device.Listed()) last_reader_row = i + 1;
    devices_.Show(i + 1, std::move(device));
    TellRefusedQueries(devices_.InRow(i + 1));
    // A message about a reader's reply lets the window close in the middle of the list.
    if (shut_down_) return false;
    view_.SetProgress(i + 1);
  }
  view_.HideProgress();

  // Keep the selected reader while it is still listed; a hidden device is never selected.
  const int remembered_row = devices_.RowOf(remembered_handle);
  const int chosen = remembered_handle != 0 && devices_.InRow(remembered_row).Listed()
                         ? remembered_row
                         : last_reader_row;
  const int readers = devices_.ListedCount();
  FlexGrid& table = devices_.Table();
  if (readers == 0) {
    table.SetColSel(0);
  } else {
    table.SetRow(chosen);
    table.SetCol(0);
    table.SetColSel(table.Cols() - 1);
  }
  table.setEnabled(readers > 0);
  view_.ShowReadersPresent(readers > 0);
  ShowReaderCount();
  return true;
}

bool DeviceDiscovery::LateReaderAnswered() {
  bool answered = false;
  for (const ConnectedReader& reader : scan_.ReadStartingAgain()) {
    TellRefusedQueries(reader);
    // A refusal or "0" hides it for good, as at its first answer.
    answered = answered || reader.Listed();
  }
  return answered;
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
