#pragma once

#include <memory>

#include "reader/KeyboardInputs.h"
#include "reader/NodeWatch.h"

namespace kx12r::cli {

// Where this system lets a program read the readers' keyboard interfaces without taking the keys
// from the window that has the focus; nothing where it does not (Windows keeps a keyboard's
// reports to itself).
std::unique_ptr<KeyboardInputs> SystemKeyboardInputs();

// What tells the station that readers came or went. Made before the first look at the devices,
// so no reader plugged in meanwhile is missed.
std::unique_ptr<NodeWatch> SystemNodeWatch();

}  // namespace kx12r::cli
