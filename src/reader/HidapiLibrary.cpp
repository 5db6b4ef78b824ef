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
  items_.clear();
  hid_exit();
}

int HidapiLibrary::GetItemCount() {
  std::vector<int> items;
  std::set<std::string> paths;
  std::set<std::string> present;
  int pending = 0;
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
      if (IsReaderIdentity(info->vendor_id, info->product_id)) ++pending;
      continue;
    }
    const std::string key =
        std::string(info->path) + '\n' + node.connection + '\n' + (node.accessible ? "1" : "0");
    present.insert(key);
    auto [it, is_new] = handle_by_key_.try_emplace(key, next_handle_);
    if (is_new) {
      Device& device = devices_[next_handle_++];
      device.path = info->path;
      device.vendor_id = info->vendor_id;
      device.product_id = info->product_id;
      device.version = info->release_number;
      device.serial_number = Narrow(info->serial_number);
      device.product_name = Narrow(info->product_string);
      device.vendor_name = Narrow(info->manufacturer_string);
      device.accessible = node.accessible;
    }
    items.push_back(it->second);
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
  items_ = std::move(items);
  pending_readers_ = pending;
  return static_cast<int>(items_.size());
}

int HidapiLibrary::GetItem(int index) {
  return index >= 0 && index < static_cast<int>(items_.size()) ? items_[index] : 0;
}

HidapiLibrary::Device* HidapiLibrary::Find(int handle) {
  auto it = devices_.find(handle);
  return it == devices_.end() ? nullptr : &it->second;
}

std::uint16_t HidapiLibrary::GetVendorID(int handle) {
  const Device* device = Find(handle);
  return device ? device->vendor_id : 0;
}

std::uint16_t HidapiLibrary::GetProductID(int handle) {
  const Device* device = Find(handle);
  return device ? device->product_id : 0;
}

std::uint16_t HidapiLibrary::GetVersion(int handle) {
  const Device* device = Find(handle);
  return device ? device->version : 0;
}

std::string HidapiLibrary::GetSerialNumber(int handle) {
  const Device* device = Find(handle);
  return device ? device->serial_number : "";
}

std::string HidapiLibrary::GetProductName(int handle) {
  const Device* device = Find(handle);
  return device ? device->product_name : "";
}

std::string HidapiLibrary::GetVendorName(int handle) {
  const Device* device = Find(handle);
  return device ? device->vendor_name : "";
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
  if (!device.opened && device.accessible) device.opened = hid_open_path(device.path.c_str());
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

bool HidapiLibrary::IsAccessDenied(int handle) {
  const Device* device = Find(handle);
  return device && !device->accessible;
}

}  // namespace kx12r
