#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "reader/HidLibrary.h"
#include "reader/HidNodes.h"
#include "reader/ReportDescriptor.h"

struct hid_device_;

namespace kx12r {

// Real readers through hidapi (its hidraw back end on Linux, its own on Windows). A device is a
// new handle for each connection and each change of its access, so discovery sees the list
// change when a reader is plugged in again or udev has just granted access to it.
class HidapiLibrary : public HidLibrary {
 public:
  using NodeProbe = std::function<NodeState(const std::string& path)>;

  // `hidraw_sysfs_root` is where the report descriptors of hidraw nodes are read from;
  // `probe` looks at the nodes (ProbeHidrawNode unless given).
  explicit HidapiLibrary(std::string hidraw_sysfs_root = "/sys/class/hidraw",
                         NodeProbe probe = nullptr);
  ~HidapiLibrary() override;
  HidapiLibrary(const HidapiLibrary&) = delete;
  HidapiLibrary& operator=(const HidapiLibrary&) = delete;

  bool Connect() override;
  void Disconnect() override;
  int GetItemCount() override;
  int GetItem(int index) override;
  int GetPendingReaderCount() override { return pending_readers_; }
  std::uint16_t GetVendorID(int handle) override;
  std::uint16_t GetProductID(int handle) override;
  std::uint16_t GetVersion(int handle) override;
  std::string GetSerialNumber(int handle) override;
  std::string GetProductName(int handle) override;
  std::string GetVendorName(int handle) override;
  int GetOutputReportLength(int handle) override;
  int GetInputReportLength(int handle) override;
  bool Write(int handle, std::span<const std::uint8_t> report) override;
  bool Read(int handle, std::span<std::uint8_t> report) override;
  bool IsAccessDenied(int handle) override;

 private:
  struct Device {
    std::string path;
    std::uint16_t vendor_id = 0;
    std::uint16_t product_id = 0;
    std::uint16_t version = 0;
    std::string serial_number;
    std::string product_name;
    std::string vendor_name;
    hid_device_* opened = nullptr;
    bool accessible = true;
    std::optional<ReportLayout> layout;
  };

  Device* Find(int handle);
  hid_device_* Open(Device& device);
  void Close(Device& device);
  const ReportLayout& Layout(Device& device);
  void DiscardWaitingInput(Device& device);

  std::string hidraw_sysfs_root_;
  NodeProbe probe_;
  std::map<int, Device> devices_;
  // Handles by node, connection and access.
  std::map<std::string, int> handle_by_key_;
  std::vector<int> items_;
  int pending_readers_ = 0;
  int next_handle_ = 1;
};

}  // namespace kx12r
