#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kx12r {

// How long Read waits for an input report. A reader answers within milliseconds; the bound only
// keeps a silent or unplugged device from freezing the window.
inline constexpr std::chrono::milliseconds kReadTimeout{200};

// Report length reported when a device's own lengths cannot be learnt: 64 data bytes and the
// report-number byte of a full-speed HID device.
inline constexpr int kDefaultReportLength = 65;

// One HID device as an enumeration found it. Texts are single-byte (Windows-1251); characters
// outside that set read as "?".
struct HidDeviceInfo {
  // Names the device while it stays connected with the same access; a device plugged back, or
  // one whose access changed, is a new handle.
  int handle = 0;
  std::uint16_t vendor_id = 0;
  std::uint16_t product_id = 0;
  std::uint16_t release = 0;
  std::string serial_number;
  std::string product_name;
  std::string vendor_name;
  // Listed, but the system refuses to open it (no permission on its node), so the user can be
  // told how to grant access.
  bool access_denied = false;
};

// The devices present at one moment, in the system's order.
struct HidSnapshot {
  std::vector<HidDeviceInfo> devices;
  // Readers left out because the system is still setting up their node (udev has not finished
  // with it): they are listed once it is ready.
  int held_readers = 0;

  const HidDeviceInfo* Find(int handle) const {
    for (const HidDeviceInfo& device : devices) {
      if (device.handle == handle) return &device;
    }
    return nullptr;
  }
};

// The USB HID library the configurator talks to readers through: one enumeration gives the
// devices present, and reports go to a device by its handle. Report buffers always carry the
// report number in byte 0.
class HidLibrary {
 public:
  virtual ~HidLibrary() = default;

  virtual bool Connect() = 0;
  virtual void Disconnect() = 0;

  virtual HidSnapshot Enumerate() = 0;

  // Lengths include the report-number byte.
  virtual int GetOutputReportLength(int handle) = 0;
  virtual int GetInputReportLength(int handle) = 0;

  // Write sends one output report; Read waits at most kReadTimeout for one input report.
  virtual bool Write(int handle, std::span<const std::uint8_t> report) = 0;
  virtual bool Read(int handle, std::span<std::uint8_t> report) = 0;
};

}  // namespace kx12r
