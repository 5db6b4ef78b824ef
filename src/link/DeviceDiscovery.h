#pragma once

#include <chrono>
#include <map>

#include "base/WaitClock.h"
#include "reader/CachedReader.h"
#include "reader/HidLibrary.h"
#include "ui/FlexGrid.h"
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

// A row of the device list read as values, when asked.
CachedReader ReaderInRow(const FlexGrid& device_table, int row);

// The discovery pass: fills the device list with one row per HID device, a reader's row shown
// and any other device's row hidden, and keeps the selection on the reader it was on.
class DeviceDiscovery {
 public:
  // `shut_down` turns true when the window closes: a running pass then stops where it is.
  DeviceDiscovery(HidLibrary& hid, FlexGrid& device_table, StatusPanels& status,
                  DiscoveryView& view, WaitClock& clock, const bool& shut_down);

  // True while a pass runs.
  bool Busy() const { return busy_; }

  // Rebuilds the device list when forced or when the set of devices changed (or a late reader
  // now answers); true if it did. `selected_handle` is the reader to keep selected.
  bool Run(bool force, int selected_handle);
  bool DeviceListUnchanged();
  // The number of devices, waiting up to 30 s for one to appear.
  int WaitForDevices();
  int CountListedReaders() const;
  // Status panel 1: how many readers are listed, or that none is.
  void ShowReaderCount();

 private:
  void FillDeviceRow(int row, int handle, int& readers, int& last_reader_row,
                     const std::map<int, std::chrono::milliseconds>& late_before);
  // Asks each reader that gave no answer yet, within its grace, once more; true when one now
  // answers with a variant and the list is to be built again.
  bool LateReaderAnswered();

  HidLibrary& hid_;
  FlexGrid& device_table_;
  StatusPanels& status_;
  DiscoveryView& view_;
  WaitClock& clock_;
  const bool& shut_down_;
  bool busy_ = false;
  // Readers that gave no answer at all, by handle, with when that was first seen.
  std::map<int, std::chrono::milliseconds> late_readers_;
};

}  // namespace kx12r
