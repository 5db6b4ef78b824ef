#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "base/WaitClock.h"
#include "link/DeviceDiscovery.h"
#include "link/DeviceList.h"
#include "reader/ConnectedReader.h"
#include "reader/DeviceReading.h"
#include "reader/HidLibrary.h"
#include "reader/ReaderSettings.h"
#include "reader/ReportExchange.h"
#include "ui/FlexGrid.h"
#include "ui/StatusPanels.h"

namespace kx12r {

// The link to the connected readers: the device list `DeviceTable` with one row per HID device,
// its discovery, and the report exchange with the reader selected in it.
class ReaderLink : public QObject {
  Q_OBJECT

 public:
  ReaderLink(HidLibrary& hid, FlexGrid& device_table, StatusPanels& status, DiscoveryView& view,
             WaitClock& clock);

  HidLibrary& Hid() { return hid_; }
  FlexGrid& DeviceTable() { return device_table_; }
  StatusPanels& Status() { return status_; }
  DiscoveryView& View() { return view_; }
  QTimer& Timer1() { return timer_; }
  bool DiscoveryBusy() const { return discovery_.Busy(); }

  // Sets up the device list's columns; false when that failed.
  bool InitDeviceTable();

  // The selected reader is the current row of the device list when that row shows a reader;
  // a hidden device is never the selected reader.
  bool HasSelectedReader() const;
  // The selected reader's handle; 0 without a selected reader.
  int SelectedReaderHandle() const;
  // The selected reader; a device with no identity and no settings without one.
  const ConnectedReader& SelectedReader() const;
  // The selected reader took a value: the model and its row follow.
  void SetSelectedReaderField(SettingsKey key, const SettingValue& value);
  // Where a listed device stands in discovery's scan: a reader still starting, one whose access
  // the system is still settling, one it refuses.
  ScanState StateOf(int handle) const { return discovery_.Scan().StateOf(handle); }
  // The connected devices, one a row of the device list.
  DeviceList& Devices() { return devices_; }
  const DeviceList& Devices() const { return devices_; }
  // Writes one setting to the selected reader; once the reader took it, the model follows.
  // False when the value has no form on the wire, nothing could be sent, or the reader refused.
  bool WriteSetting(SettingsKey key, const SettingValue& value);

  // Starts the discovery timer again after a wait stopped it (not while held or shut down).
  void ResumeDiscovery();

  // While held (a setting is being edited) discovery stays paused: writes leave the timer
  // stopped, and releasing the hold starts it again.
  void HoldDiscovery(bool hold);

  // The window is closing: every wait ends, the timer stays stopped and no device is asked
  // anything more.
  void Shutdown();

  // Stops the discovery timer and waits, at most 10 s, until no discovery runs.
  bool WaitForIdle();
  // A command to the selected reader between discoveries; the timer runs again afterwards
  // unless the wait failed.
  bool SendToSelectedReader(std::uint8_t code,
                            const std::optional<ParameterList>& parameters = std::nullopt);

  // Rebuilds the device list when forced or when the set of devices changed; true if it did.
  bool DiscoverReaders(bool force);
  bool DeviceListUnchanged() { return discovery_.DeviceListUnchanged(); }
  // The number of devices, waiting up to 30 s for one to appear.
  int WaitForDevices() { return discovery_.WaitForDevices(); }
  int CountListedReaders() const { return discovery_.CountListedReaders(); }
  // Status panel 1 and the lists' enabled state while a setting is (not) being edited;
  // `edited_caption` names the settings column being edited.
  void ShowDeviceStatus(bool editing, const QString& edited_caption = QString());

  // The device list's selection handler.
  void SelectReader();
  // The discovery timer's tick: a rebuilt list selects a reader again.
  void Timer1Tick();
  // Status panel 1: how many readers are listed, or that none is.
  void ShowReaderCount() { discovery_.ShowReaderCount(); }

 signals:
  // A reader was selected, or the list was rebuilt: the open screen reloads from here.
  void ReaderSelected();
  // A discovery tick has run.
  void Ticked();
  // Discovery rebuilt the device list.
  void DevicesChanged();

 private:
  void OnDeviceListSelChange();
  // Runs an exchange with the selected reader while no discovery runs; the timer runs again
  // afterwards unless the wait failed.
  bool BetweenDiscoveries(const std::function<bool(int handle)>& exchange);

  HidLibrary& hid_;
  FlexGrid& device_table_;
  StatusPanels& status_;
  DiscoveryView& view_;
  WaitClock& clock_;
  DeviceList devices_;
  QTimer timer_;
  bool selecting_ = false;
  bool shut_down_ = false;
  bool held_ = false;
  DeviceDiscovery discovery_;
};

}  // namespace kx12r
