#include "cli/SystemDevices.h"
#include "reader/HidrawKeyboardInputs.h"
#include "reader/UdevNodeWatch.h"

namespace kx12r::cli {

std::unique_ptr<KeyboardInputs> SystemKeyboardInputs() {
  return std::make_unique<HidrawKeyboardInputs>();
}

std::unique_ptr<NodeWatch> SystemNodeWatch() { return std::make_unique<UdevNodeWatch>(); }

}  // namespace kx12r::cli
