// Waiting for hidraw nodes through a udev monitor.
#include "reader/UdevNodeWatch.h"

#include <libudev.h>
#include <poll.h>

namespace kx12r {

UdevNodeWatch::UdevNodeWatch() : udev_(udev_new()) {
  if (!udev_) return;
  monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  if (monitor_ &&
      udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) == 0 &&
      udev_monitor_enable_receiving(monitor_) == 0) {
    return;
  }
  if (monitor_) udev_monitor_unref(monitor_);
  monitor_ = nullptr;
}

UdevNodeWatch::~UdevNodeWatch() {
  if (monitor_) udev_monitor_unref(monitor_);
  if (udev_) udev_unref(udev_);
}

void UdevNodeWatch::WaitForChange(std::chrono::milliseconds limit) {
  // poll is never restarted after a signal handler, so Ctrl+C ends the wait at once.
  pollfd watched{.fd = monitor_ ? udev_monitor_get_fd(monitor_) : -1, .events = POLLIN};
  if (::poll(&watched, 1, static_cast<int>(limit.count())) <= 0) return;
  // One plug brings several events (the node, its interfaces): all of them are one change.
  while (udev_device* device = udev_monitor_receive_device(monitor_)) udev_device_unref(device);
}

}  // namespace kx12r
