#pragma once

#include <QString>
#include <vector>

#include "reader/ConnectedReader.h"
#include "ui/FlexGrid.h"

namespace kx12r {

// The connected devices in the order of the device list `DeviceTable`, one row each: the list
// holds them as values and renders each into its row, a reader's row shown and any other
// device's hidden. Nothing is ever read back from the table's cells.
class DeviceList {
 public:
  explicit DeviceList(FlexGrid& table) : table_(table) {}

  // The columns other parts of the window place things by.
  static const int kVendorIdColumn;
  static const int kSerialNumberColumn;

  // Sets up the table's columns; false when that failed.
  bool InitTable();
  FlexGrid& Table() { return table_; }
  const FlexGrid& Table() const { return table_; }
  const std::vector<ConnectedReader>& Devices() const { return devices_; }
  // The device in a row of the table; a device with no identity and no settings outside them.
  const ConnectedReader& InRow(int row) const;
  // The row of the device with this handle; 0 when it is not listed.
  int RowOf(int handle) const;
  int ListedCount() const;

  // Starts a list of `count` devices, each to be shown in its row.
  void Restart(int count);
  void Show(int row, ConnectedReader device);
  // The reader in `row` took a value: its settings and its row follow.
  void TakeValue(int row, SettingsKey key, const SettingValue& value);
  void TakeSerialNumber(int row, const QString& number);
  // Draws a row again from what is known, over whatever an in-place editor left in its cells.
  void ShowAgain(int row) { Render(row); }

 private:
  void Render(int row);

  FlexGrid& table_;
  std::vector<ConnectedReader> devices_;
};

}  // namespace kx12r
