// Real readers through hidapi.
#include "reader/HidapiLibrary.h"

#include <hidapi.h>

#include <algorithm>
#include <set>

#include "base/SingleByteText.h"
#include "reader/ReaderIdentity.h"

namespace kx12r {
namespace {

constexpr unsigned short kGenericDesktopPage = 0x01;
constexpr unsigned short kKeyboardUsage = 0x06;

// Input reports that nobody read are thrown away before a write; a device that keeps sending
// must not keep the write waiting, so the discarding is bounded.
constexpr int kMaxDiscardedReports = 64;

std::string Narrow(const wchar_t* text) {
  return text ? ToSingleByte(std::wstring_view(text)) : "";
}

}  // namespace

HidapiLibrary::HidapiLibrary(std::string hidraw_sysfs_root, NodeProbe probe)
    : hidraw_sysfs_root_(std::move(hidraw_sysfs_root)), probe_(std::move(probe)) {
  if (!probe_) {
    probe_ = [root = hidraw_sysfs_root_](const std::string& path) {
      return ProbeHidrawNode(root, path);
    };
  }
}

HidapiLibrary::~HidapiLibrary() { Disconnect(); }

bool HidapiLibrary::Connect() { return hid_init() == 0; }

void HidapiLibrary::Disconnect() {
  for (auto& [handle, device] : devices_) Close(device);
  devices_.clear();
  handle_by_key_.clear();
  hid_exit();
}

HidSnapshot HidapiLibrary::Enumerate() {
  HidSnapshot snapshot;
  std::set<std::string> paths;
  std::set<std::string> present;
  hid_device_info* list = hid_enumerate(0, 0);
  for (const hid_device_info* info = list; info; info = info->next) {
    // A device with several top-level collections is listed once per collection.
    if (!info->path || !paths.insert(info->path).second) continue;
    // A reader's keyboard interface only types card messages: nothing is ever sent to it.
    if (IsReaderIdentity(info->vendor_id, info->product_id) &&
        info->usage_page == kGenericDesktopPage && info->usage == kKeyboardUsage) {
      continue;
    }
    const NodeState node = probe_(info->path);
    // A node udev is still setting up is judged on a later enumeration.
    if (!node.initialized) {
      if (IsReaderIdentity(info->vendor_id, info->product_id)) ++snapshot.held_readers;
      continue;
    }
    const std::string key =
        std::string(info->path) + '\n' + node.connection + '\n' + (node.accessible ? "1" : "0");
    present.insert(key);
    auto [it, is_new] = handle_by_key_.try_emplace(key, next_handle_);
    if (is_new) {
      Device& device = devices_[next_handle_++];
      device.path = info->path;
      device.info = {.handle = it->second,
                     .vendor_id = info->vendor_id,
                     .product_id = info->product_id,
                     .release = info->release_number,
                     .serial_number = Narrow(info->serial_number),
                     .product_name = Narrow(info->product_string),
                     .vendor_name = Narrow(info->manufacturer_string),
                     .access_denied = !node.accessible};
    }
    snapshot.devices.push_back(devices_[it->second].info);
  }
  hid_free_enumeration(list);

  // A device that went away loses its handle for good, so a new device on the same node never
  // passes for the old one.
  for (auto it = handle_by_key_.begin(); it != handle_by_key_.end();) {
    if (present.contains(it->first)) {
      ++it;
      continue;
    }
    Close(devices_[it->second]);
    devices_.erase(it->second);
    it = handle_by_key_.erase(it);
  }
  return snapshot;
}

HidapiLibrary::Device* HidapiLibrary::Find(int handle) {
  auto it = devices_.find(handle);
  return it == devices_.end() ? nullptr : &it->second;
}

const ReportLayout& HidapiLibrary::Layout(Device& device) {
  if (!device.layout) {
    device.layout = ParseReportDescriptor(ReadReportDescriptor(hidraw_sysfs_root_, device.path))
                        .value_or(ReportLayout{kDefaultReportLength, kDefaultReportLength, false});
  }
  return *device.layout;
}

int HidapiLibrary::GetOutputReportLength(int handle) {
  Device* device = Find(handle);
  return device ? Layout(*device).output_length : 0;
}

int HidapiLibrary::GetInputReportLength(int handle) {
  Device* device = Find(handle);
  return device ? Layout(*device).input_length : 0;
}

hid_device_* HidapiLibrary::Open(Device& device) {
  if (!device.opened && !device.info.access_denied) device.opened = hid_open_path(device.path.c_str());
  return device.opened;
}

void HidapiLibrary::Close(Device& device) {
  if (device.opened) hid_close(device.opened);
  device.opened = nullptr;
}

void HidapiLibrary::DiscardWaitingInput(Device& device) {
  std::vector<unsigned char> scratch(std::max(Layout(device).input_length, kDefaultReportLength));
  for (int i = 0; i < kMaxDiscardedReports; ++i) {
    if (hid_read_timeout(device.opened, scratch.data(), scratch.size(), 0) <= 0) return;
  }
}

bool HidapiLibrary::Write(int handle, std::span<const std::uint8_t> report) {
  Device* device = Find(handle);
  if (!device || report.empty() || !Open(*device)) return false;
  DiscardWaitingInput(*device);
  if (hid_write(device->opened, report.data(), report.size()) < 0) {
    Close(*device);  // unplugged: the next call tries to open it afresh
    return false;
  }
  return true;
}

bool HidapiLibrary::Read(int handle, std::span<std::uint8_t> report) {
  Device* device = Find(handle);
  if (!device || report.size() < 2 || !Open(*device)) return false;
  // Without report ids hidraw leaves the report number out; put it back so byte 0 is always it.
  const bool numbered = Layout(*device).uses_report_ids;
  std::span<std::uint8_t> data = numbered ? report : report.subspan(1);
  const int got = hid_read_timeout(device->opened, data.data(), data.size(),
                                   static_cast<int>(kReadTimeout.count()));
  if (got < 0) Close(*device);
  if (got <= 0) return false;
  std::fill(data.begin() + std::min<std::size_t>(got, data.size()), data.end(), 0);
  if (!numbered) report[0] = 0;
  return true;
}

}  // namespace kx12r
