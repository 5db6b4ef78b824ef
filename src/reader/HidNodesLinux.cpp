// hidraw nodes as the kernel and udev show them.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "reader/HidNodes.h"

namespace kx12r {
namespace {

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Where udev keeps its database of initialized devices, and its control socket.
constexpr char kUdevData[] = "/run/udev/data";
constexpr char kUdevControl[] = "/run/udev/control";

// udev records a device it has finished with; where no udev runs, nobody changes the node.
bool UdevInitialized(dev_t node) {
  if (!std::filesystem::exists(kUdevControl)) return true;
  const std::string record = std::string(kUdevData) + "/c" + std::to_string(major(node)) + ":" +
                             std::to_string(minor(node));
  return std::filesystem::exists(record);
}

}  // namespace

NodeState ProbeHidrawNode(const std::string& hidraw_sysfs_root, const std::string& path) {
  NodeState state;
  struct stat node {};
  if (::stat(path.c_str(), &node) != 0) {
    state.initialized = false;  // gone already, or not there yet
    return state;
  }
  state.initialized = UdevInitialized(node.st_rdev);
  state.accessible = ::access(path.c_str(), R_OK | W_OK) == 0;
  // The HID device's sysfs name (0003:04D8:00DF.000A) counts up with every connection.
  std::error_code error;
  const auto device = std::filesystem::read_symlink(
      std::filesystem::path(hidraw_sysfs_root) / std::filesystem::path(path).filename() / "device",
      error);
  state.connection = error ? std::to_string(node.st_ino) + "@" + std::to_string(node.st_ctime)
                           : device.filename().string();
  return state;
}

std::vector<std::uint8_t> ReadReportDescriptor(const std::string& hidraw_sysfs_root,
                                               const std::string& path) {
  const auto node = std::filesystem::path(path).filename();
  return ReadFileBytes(std::filesystem::path(hidraw_sysfs_root) / node /
                       "device/report_descriptor");
}

}  // namespace kx12r
