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
  HidSnapshot Enumerate() override;
  int GetOutputReportLength(int handle) override;
  int GetInputReportLength(int handle) override;
  bool Write(int handle, std::span<const std::uint8_t> report) override;
  bool Read(int handle, std::span<std::uint8_t> report) override;

 private:
  struct Device {
    std::string path;
    HidDeviceInfo info;
    hid_device_* opened = nullptr;
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
  int next_handle_ = 1;
};

}  // namespace kx12r
