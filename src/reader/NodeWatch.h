#pragma once

#include <chrono>

namespace kx12r {

// Tells a program that waits for readers to be plugged in when HID nodes come or go, so it
// looks at the devices again at once instead of polling.
class NodeWatch {
 public:
  virtual ~NodeWatch() = default;
  // Returns when a node came or went, after `limit` at the latest, or at once when a signal
  // arrives.
  virtual void WaitForChange(std::chrono::milliseconds limit) = 0;
};

}  // namespace kx12r
