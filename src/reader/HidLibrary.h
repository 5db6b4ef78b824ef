#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

namespace kx12r {

// How long Read waits for an input report. A reader answers within milliseconds; the bound only
// keeps a silent or unplugged device from freezing the window.
inline constexpr std::chrono::milliseconds kReadTimeout{200};

// Report length reported when a device's own lengths cannot be learnt: 64 data bytes and the
// report-number byte of a full-speed HID device.
inline constexpr int kDefaultReportLength = 65;

// The USB HID library the configurator talks to readers through. A device is named by a small
// integer handle from GetItem that stays the same while the device stays connected.
// Report buffers always carry the report number in byte 0.
class HidLibrary {
 public:
  virtual ~HidLibrary() = default;

  virtual bool Connect() = 0;
  virtual void Disconnect() = 0;

  // Enumerates the devices present now; GetItem then indexes that enumeration.
  virtual int GetItemCount() = 0;
  virtual int GetItem(int index) = 0;
  // Readers the last enumeration left out because the system is still setting up their node
  // (udev has not finished with it): they are listed once it is ready.
  virtual int GetPendingReaderCount() { return 0; }

  virtual std::uint16_t GetVendorID(int handle) = 0;
  virtual std::uint16_t GetProductID(int handle) = 0;
  virtual std::uint16_t GetVersion(int handle) = 0;
  // Single-byte (Windows-1251) texts; characters outside that set read as "?".
  virtual std::string GetSerialNumber(int handle) = 0;
  virtual std::string GetProductName(int handle) = 0;
  virtual std::string GetVendorName(int handle) = 0;

  // Lengths include the report-number byte.
  virtual int GetOutputReportLength(int handle) = 0;
  virtual int GetInputReportLength(int handle) = 0;

  // Write sends one output report; Read waits at most kReadTimeout for one input report.
  virtual bool Write(int handle, std::span<const std::uint8_t> report) = 0;
  virtual bool Read(int handle, std::span<std::uint8_t> report) = 0;

  // True when the device is listed but the system refused to open it (no permission on its
  // device node), so the user can be told how to grant access.
  virtual bool IsAccessDenied(int handle) = 0;
};

}  // namespace kx12r
