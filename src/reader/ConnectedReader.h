#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "reader/Firmware.h"
#include "reader/ReaderIdentity.h"
#include "reader/ReaderSettings.h"

namespace kx12r {

// Who a HID device says it is.
struct DeviceIdentity {
  std::uint16_t vendor_id = 0;
  std::uint16_t product_id = 0;
  FirmwareVersion firmware;
  QString serial_number;
  QString product_name;
  QString vendor_name;

  // A KX12R by its vendor and product ids.
  bool IsOurs() const { return IsReaderIdentity(vendor_id, product_id); }
};

// One connected HID device as the program knows it: what the window's device list shows and
// kx12rctl prints, and whom every command goes to.
struct ConnectedReader {
  int handle = 0;
  DeviceIdentity identity;
  // The system does not let the program open it: only its identity is known.
  bool access_denied = false;
  // A configurable reader that gave no answer at all: it may still be starting.
  bool silent = false;
  // Its settings from its answer to the variant query on; the others are asked, and known, only
  // when that is 1 or more.
  std::optional<ReaderValues> settings;
  // The queries it refused as unknown commands, in the order asked.
  std::vector<std::uint8_t> refused_queries;

  // A reader to list: ours, and either answering with a variant or too old to be asked.
  bool Listed() const {
    return identity.IsOurs() && (Configurable() || !identity.firmware.Configurable());
  }
  bool Configurable() const { return settings && settings->variant > 0; }
  // Its settings; all cleared and variant 0 without an answer.
  const ReaderValues& Values() const {
    static const ReaderValues kNoValues;
    return settings ? *settings : kNoValues;
  }
};

}  // namespace kx12r
