#pragma once

#include "base/WaitClock.h"
#include "link/DeviceList.h"
#include "reader/HidLibrary.h"
#include "reader/ReaderScan.h"
#include "ui/StatusPanels.h"

namespace kx12r {

// What discovery changes on the window beyond the device list and the status bar.
class DiscoveryView {
 public:
  virtual ~DiscoveryView() = default;
  virtual void ShowProgress(int maximum) = 0;
  virtual void SetProgress(int value) = 0;
  virtual void HideProgress() = 0;
  // With no reader listed the settings grid and the files tab are disabled and the first tab
  // is shown.
  virtual void ShowReadersPresent(bool present) = 0;
  virtual void SetSettingsGridEnabled(bool enabled) = 0;
};

// The discovery pass: reads every HID device into the device list, and keeps the selection on
// the reader it was on.
class DeviceDiscovery {
 public:
  // `shut_down` turns true when the window closes: a running pass then stops where it is.
  DeviceDiscovery(HidLibrary& hid, DeviceList& devices, StatusPanels& status, DiscoveryView& view,
                  WaitClock& clock, const bool& shut_down);

  // True while a pass runs.
  bool Busy() const { return busy_; }

  // Rebuilds the device list when forced or when the set of devices changed (or a late reader
  // now answers); true if it did. `selected_handle` is the reader to keep selected.
  bool Run(bool force, int selected_handle);
  bool DeviceListUnchanged();
  // The scan the list is filled from: where each listed device stands.
  const ReaderScan& Scan() const { return scan_; }
  // The number of devices, waiting up to 30 s for one to appear.
  int WaitForDevices();
  int CountListedReaders() const;
  // Status panel 1: how many readers are listed, or that none is.
  void ShowReaderCount();

 private:
  // Asks each reader that gave no answer yet, within its grace, once more; true when one now
  // answers and the list is to be built again.
  bool LateReaderAnswered();

  DeviceList& devices_;
  StatusPanels& status_;
  DiscoveryView& view_;
  WaitClock& clock_;
  const bool& shut_down_;
  bool busy_ = false;
  ReaderScan scan_;
};

}  // namespace kx12r
