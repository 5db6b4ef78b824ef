#pragma once

#include "reader/NodeWatch.h"

struct udev;
struct udev_monitor;

namespace kx12r {

// hidraw nodes as udev announces them once it has finished with them (permissions set). It
// listens from its construction on, so a node that appears after it is made is never missed.
// Where udev cannot be heard (no udev, no netlink), every wait runs to its limit.
class UdevNodeWatch : public NodeWatch {
 public:
  UdevNodeWatch();
  ~UdevNodeWatch() override;
  UdevNodeWatch(const UdevNodeWatch&) = delete;
  UdevNodeWatch& operator=(const UdevNodeWatch&) = delete;

  void WaitForChange(std::chrono::milliseconds limit) override;

 private:
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
};

}  // namespace kx12r
