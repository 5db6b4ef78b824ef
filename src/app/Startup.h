#pragma once

#include "HidLibrary.h"

namespace kx12r {

// Starts the configurator over the given readers and runs it until its window closes; the
// program's exit code.
int RunConfigurator(HidLibrary& hid);

}  // namespace kx12r
