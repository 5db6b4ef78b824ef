#pragma once

#include <map>
#include <string>

#include "reader/KeyboardInputs.h"

namespace kx12r {

// The readers' keyboard interfaces on Linux: the hidraw nodes of vendor 04D8 and a reader's
// product id whose report descriptor declares a keyboard, matched to their reader by the USB
// serial number. Reading a hidraw node leaves the keys to the focused application.
class HidrawKeyboardInputs : public KeyboardInputs {
 public:
  // `sysfs_root` lists the hidraw nodes, `dev_root` holds them.
  explicit HidrawKeyboardInputs(std::string sysfs_root = "/sys/class/hidraw",
                                std::string dev_root = "/dev");
  ~HidrawKeyboardInputs() override;
  HidrawKeyboardInputs(const HidrawKeyboardInputs&) = delete;
  HidrawKeyboardInputs& operator=(const HidrawKeyboardInputs&) = delete;

  std::vector<KeyboardInterface> Interfaces() override;
  std::vector<std::uint8_t> Descriptor(const QString& id) override;
  ReadResult Read(const QString& id, std::vector<std::uint8_t>& report) override;

 private:
  struct Node {
    int fd = -1;
    bool numbered = false;  // reports carry their number in byte 0
  };

  std::string sysfs_root_;
  std::string dev_root_;
  std::map<QString, Node> open_;
};

}  // namespace kx12r
