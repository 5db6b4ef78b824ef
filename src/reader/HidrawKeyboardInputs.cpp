// The readers' keyboard interfaces read from their hidraw nodes.
#include "reader/HidrawKeyboardInputs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "reader/ReaderIdentity.h"
#include "reader/ReportDescriptor.h"

namespace kx12r {
namespace {

constexpr std::size_t kLongestReport = 64;

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// HID_ID=0003:000004D8:000000DF and HID_UNIQ=<serial> from a HID device's uevent.
struct Uevent {
  unsigned vendor = 0;
  unsigned product = 0;
  std::string serial;
};

Uevent ReadUevent(const std::filesystem::path& path) {
  Uevent event;
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    if (line.rfind("HID_ID=", 0) == 0) {
      unsigned bus = 0;
      std::sscanf(line.c_str() + 7, "%x:%x:%x", &bus, &event.vendor, &event.product);
    } else if (line.rfind("HID_UNIQ=", 0) == 0) {
      event.serial = line.substr(9);
    }
  }
  return event;
}

}  // namespace

HidrawKeyboardInputs::HidrawKeyboardInputs(std::string sysfs_root, std::string dev_root)
    : sysfs_root_(std::move(sysfs_root)), dev_root_(std::move(dev_root)) {}

HidrawKeyboardInputs::~HidrawKeyboardInputs() {
  for (auto& [id, node] : open_) ::close(node.fd);
}

std::vector<KeyboardInterface> HidrawKeyboardInputs::Interfaces() {
  std::vector<KeyboardInterface> interfaces;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(sysfs_root_, error)) {
    const std::filesystem::path device = entry.path() / "device";
    const Uevent event = ReadUevent(device / "uevent");
    if (!IsReaderIdentity(event.vendor, event.product)) continue;
    // The configuration interface of the same reader declares no keyboard.
    if (!ParseKeyboardLayout(ReadBytes(device / "report_descriptor"))) continue;
    interfaces.push_back({QString::fromStdString(event.serial),
                          QString::fromStdString(entry.path().filename().string())});
  }
  return interfaces;
}

std::vector<std::uint8_t> HidrawKeyboardInputs::Descriptor(const QString& id) {
  return ReadBytes(std::filesystem::path(sysfs_root_) / id.toStdString() / "device" /
                   "report_descriptor");
}

KeyboardInputs::ReadResult HidrawKeyboardInputs::Read(const QString& id,
                                                      std::vector<std::uint8_t>& report) {
  auto it = open_.find(id);
  if (it == open_.end()) {
    const std::string path = dev_root_ + "/" + id.toStdString();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EACCES || errno == EPERM ? ReadResult::kDenied : ReadResult::kGone;
    const auto layout = ParseKeyboardLayout(Descriptor(id));
    it = open_.emplace(id, Node{fd, layout && layout->uses_report_ids}).first;
  }
  std::uint8_t buffer[kLongestReport + 1];
  // Without numbered reports hidraw leaves the number out; put 0 back in byte 0.
  const std::size_t skip = it->second.numbered ? 0 : 1;
  const ssize_t got = ::read(it->second.fd, buffer + skip, kLongestReport);
  if (got < 0 && (errno == EAGAIN || errno == EINTR)) return ReadResult::kNothing;
  if (got <= 0) {
    ::close(it->second.fd);
    open_.erase(it);
    return ReadResult::kGone;
  }
  buffer[0] = it->second.numbered ? buffer[0] : 0;
  report.assign(buffer, buffer + skip + got);
  return ReadResult::kReport;
}

}  // namespace kx12r
