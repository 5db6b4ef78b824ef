#pragma once

#include "reader/KeyboardInputs.h"
#include "simulator/SimulatedHidLibrary.h"

namespace kx12r {

// The keyboard interfaces of the simulated readers: one for each reader plugged in, typing what
// its PresentCard makes it type, with the boot keyboard's report descriptor.
class SimulatedKeyboardInputs : public KeyboardInputs {
 public:
  explicit SimulatedKeyboardInputs(SimulatedHidLibrary& hid) : hid_(hid) {}

  std::vector<KeyboardInterface> Interfaces() override;
  std::vector<std::uint8_t> Descriptor(const QString& id) override;
  ReadResult Read(const QString& id, std::vector<std::uint8_t>& report) override;

 private:
  SimulatedHidLibrary& hid_;
};

// The report descriptor of a boot keyboard: modifiers, a reserved byte, six key usages.
const std::vector<std::uint8_t>& BootKeyboardDescriptor();

}  // namespace kx12r
