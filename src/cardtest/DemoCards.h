#pragma once

#include <cstdint>

#include "simulator/SimulatedHidLibrary.h"
#include "simulator/SimulatedKeyboardInputs.h"

namespace kx12r {

// The demo readers' cards: a simulated reader presents one and its keyboard interface's reports
// are turned into key presses for the widget that has the keys, as a desktop turns a real
// reader's keys into characters with the US or the Russian layout.
class DemoCards {
 public:
  explicit DemoCards(SimulatedHidLibrary& hid) : hid_(hid), keyboards_(hid) {}

  void Present(int handle, bool russian_layout);

 private:
  SimulatedHidLibrary& hid_;
  SimulatedKeyboardInputs keyboards_;
  std::uint64_t card_ = 0x0012345678;
};

}  // namespace kx12r
