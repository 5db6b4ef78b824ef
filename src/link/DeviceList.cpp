// The connected devices and the device list that shows them.
#include "link/DeviceList.h"

#include <algorithm>
#include <array>

#include "base/NumericText.h"
#include "link/DeviceColumns.h"
#include "reader/DeviceReading.h"
#include "shown/ShownSettings.h"
#include "ui/GridToolkit.h"

namespace kx12r {
namespace {

constexpr int kShownRowHeight = 240;

QString FlagText(bool set) { return set ? QStringLiteral("-1") : QStringLiteral("0"); }

// The column each setting is shown in, in the order of SettingsKey.
constexpr DeviceColumn kSettingColumns[kSettingsKeyCount] = {
    kColCodeMethod, kColPrefix,    kColEncoding,   kColSuffix,
    kColEnding,     kColBunBuzzer, kColStandAlone, kColRepeatResolution};

DeviceColumn ColumnOf(SettingsKey key) { return kSettingColumns[static_cast<int>(key)]; }

// The texts of a device's row: its identity, then its settings as the reader gave them.
std::array<QString, kDeviceColumnCount> RowTexts(const ConnectedReader& device) {
  std::array<QString, kDeviceColumnCount> texts;
  const DeviceIdentity& identity = device.identity;
  texts[kColHandle] = QString::number(device.handle);
  texts[kColVendorId] = HexWord(identity.vendor_id);
  texts[kColProductId] = HexWord(identity.product_id);
  texts[kColVersion] = identity.firmware.Text();
  texts[kColSerialNumber] = identity.serial_number;
  texts[kColProductName] = identity.product_name;
  texts[kColVendorName] = identity.vendor_name;
  const ReaderValues& values = device.Values();
  texts[ColumnOf(SettingsKey::kVariant)] = QString::number(values.variant);
  for (SettingsKey flag : kFlagKeys) texts[ColumnOf(flag)] = FlagText(values.Flag(flag));
  if (device.Configurable()) {
    texts[ColumnOf(SettingsKey::kPrefix)] = WrittenAffix(values.prefix);
    texts[ColumnOf(SettingsKey::kCodeFormat)] =
        values.code_format ? QString::number(*values.code_format) : QString();
    texts[ColumnOf(SettingsKey::kSuffix)] = WrittenAffix(values.suffix);
    texts[ColumnOf(SettingsKey::kEnding)] = QString::number(values.ending);
  }
  return texts;
}

}  // namespace

const int DeviceList::kVendorIdColumn = kColVendorId;
const int DeviceList::kSerialNumberColumn = kColSerialNumber;

bool DeviceList::InitTable() {
  table_.SetSelectionMode(FlexGrid::SelectionMode::kByRow);
  return InitGridFromCaptions(table_, QString::fromUtf8(kDeviceTableCaptions),
                              Qt::AlignLeft | Qt::AlignVCenter,
                              {"RrHendle", "CodeMethod", "BunBuzzer", "StandAlone",
                               "RepeatResolution", "Prefix", "Encoding", "Suffix", "Ending"});
}

const ConnectedReader& DeviceList::InRow(int row) const {
  static const ConnectedReader kNoDevice;
  return row >= 1 && row <= static_cast<int>(devices_.size()) ? devices_[row - 1] : kNoDevice;
}

int DeviceList::RowOf(int handle) const {
  const auto found = std::ranges::find(devices_, handle, &ConnectedReader::handle);
  return found == devices_.end() ? 0 : static_cast<int>(found - devices_.begin()) + 1;
}

int DeviceList::ListedCount() const {
  return static_cast<int>(std::ranges::count_if(devices_, &ConnectedReader::Listed));
}

void DeviceList::Restart(int count) {
  devices_.assign(count, ConnectedReader{});
  table_.SetRows(count + 1);
}

void DeviceList::Show(int row, ConnectedReader device) {
  devices_.at(row - 1) = std::move(device);
  Render(row);
}

void DeviceList::TakeValue(int row, SettingsKey key, const SettingValue& value) {
  ConnectedReader& device = devices_.at(row - 1);
  if (!device.settings) device.settings.emplace();
  device.settings->Set(key, value);
  Render(row);
}

void DeviceList::TakeSerialNumber(int row, const QString& number) {
  devices_.at(row - 1).identity.serial_number = number;
  Render(row);
}

void DeviceList::Render(int row) {
  const ConnectedReader& device = devices_.at(row - 1);
  const std::array<QString, kDeviceColumnCount> texts = RowTexts(device);
  for (int column = 0; column < kDeviceColumnCount; ++column) {
    table_.SetTextMatrix(row, column, texts[column]);
  }
  table_.SetRowHeight(row, device.Listed() ? kShownRowHeight : 0);
}

}  // namespace kx12r
