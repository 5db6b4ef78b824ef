#include "FakeHidapi.h"

#include <hidapi.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>

struct hid_device_ {
  std::string path;
};

namespace fake_hidapi {
namespace {

std::deque<Device> devices;
int last_read_timeout = -2;

Device* Present(const std::string& path) {
  for (Device& device : devices) {
    if (device.path == path && device.present) return &device;
  }
  return nullptr;
}

wchar_t* Copy(const std::wstring& text) {
  auto* copy = static_cast<wchar_t*>(std::calloc(text.size() + 1, sizeof(wchar_t)));
  std::wmemcpy(copy, text.c_str(), text.size());
  return copy;
}

}  // namespace

std::deque<Device>& Devices() { return devices; }

Device& Add(std::string path) {
  devices.push_back({.path = std::move(path)});
  return devices.back();
}

int LastReadTimeout() { return last_read_timeout; }

kx12r::NodeState Probe(const std::string& path) {
  const Device* device = Present(path);
  if (!device) return {.initialized = false};
  return {.initialized = device->initialized,
          .accessible = !device->permission_denied,
          .connection = device->connection};
}

void Reset() {
  devices.clear();
  last_read_timeout = -2;
}

}  // namespace fake_hidapi

using fake_hidapi::Copy;
using fake_hidapi::Present;

extern "C" {

int hid_init(void) { return 0; }
int hid_exit(void) { return 0; }

hid_device_info* hid_enumerate(unsigned short, unsigned short) {
  hid_device_info* head = nullptr;
  hid_device_info** tail = &head;
  for (const auto& device : fake_hidapi::devices) {
    if (!device.present) continue;
    for (int i = 0; i < device.collections; ++i) {
      auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
      info->path = strdup(device.path.c_str());
      info->vendor_id = device.vendor_id;
      info->product_id = device.product_id;
      info->release_number = device.release;
      info->usage_page = device.usage_page;
      info->usage = device.usage;
      info->serial_number = Copy(device.serial);
      info->product_string = Copy(device.product);
      info->manufacturer_string = Copy(device.manufacturer);
      *tail = info;
      tail = &info->next;
    }
  }
  return head;
}

void hid_free_enumeration(hid_device_info* devs) {
  while (devs) {
    hid_device_info* next = devs->next;
    std::free(devs->path);
    std::free(devs->serial_number);
    std::free(devs->product_string);
    std::free(devs->manufacturer_string);
    std::free(devs);
    devs = next;
  }
}

hid_device* hid_open_path(const char* path) {
  auto* device = Present(path);
  if (!device || !device->openable) {
    errno = ENOENT;
    return nullptr;
  }
  if (device->permission_denied) {
    errno = EACCES;
    return nullptr;
  }
  ++device->opened;
  return new hid_device_{path};
}

void hid_close(hid_device* dev) {
  for (auto& device : fake_hidapi::devices) {
    if (device.path == dev->path) ++device.closed;
  }
  delete dev;
}

int hid_write(hid_device* dev, const unsigned char* data, size_t length) {
  auto* device = Present(dev->path);
  if (!device) return -1;
  device->written.emplace_back(data, data + length);
  return static_cast<int>(length);
}

int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds) {
  auto* device = Present(dev->path);
  if (!device) return -1;
  if (milliseconds != 0) fake_hidapi::last_read_timeout = milliseconds;
  if (device->input.empty()) return 0;
  const auto report = device->input.front();
  device->input.pop_front();
  const size_t n = std::min(length, report.size());
  if (n > 0) std::memcpy(data, report.data(), n);
  return static_cast<int>(n);
}

}  // extern "C"
