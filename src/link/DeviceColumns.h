#pragma once

namespace kx12r {

// Columns of the device list: a device's identity, then the reader's settings. Only the device
// list and its tests know them.
enum DeviceColumn {
  kColHandle = 0,
  kColVendorId,
  kColProductId,
  kColVersion,
  kColSerialNumber,
  kColProductName,
  kColVendorName,
  kColCodeMethod,
  kColBunBuzzer,
  kColStandAlone,
  kColRepeatResolution,
  kColPrefix,
  kColEncoding,
  kColSuffix,
  kColEnding,
};

inline constexpr int kDeviceColumnCount = kColEnding + 1;

inline constexpr char kDeviceTableCaptions[] =
    "RrHendle|Vendor ID|Product ID|Версия ПО|S/N     |Наименование                    "
    "|Производитель          |CodeMethod|BunBuzzer|StandAlone|RepeatResolution|Prefix|Encoding"
    "|Suffix|Ending";

}  // namespace kx12r
