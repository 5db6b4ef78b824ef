#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the system says of a HID device node beyond what hidapi lists: hidraw with udev on
// Linux; on Windows, where the HID class driver has a device ready once it is listed, little.
namespace kx12r {

struct NodeState {
  // udev has finished with the node: until then its owner and mode are not final.
  bool initialized = true;
  // The user may read and write the node.
  bool accessible = true;
  // Differs for every connection of a device, even on the same node.
  std::string connection;
};

// Looks at the node `path` (/dev/hidrawN), with the hidraw sysfs folder `hidraw_sysfs_root`.
NodeState ProbeHidrawNode(const std::string& hidraw_sysfs_root, const std::string& path);

// The report descriptor of the device at `path`; empty where it cannot be read (then the
// reader's usual report lengths are taken).
std::vector<std::uint8_t> ReadReportDescriptor(const std::string& hidraw_sysfs_root,
                                               const std::string& path);

}  // namespace kx12r
