#pragma once

#include "simulator/SimulatedHidLibrary.h"

namespace kx12r {

// The devices the demo program shows: a configurable 00DF reader (1.84, variant 8 with a
// prefix), a 0002 reader (1.72, variant 3), an old F002 reader (1.53) and a keyboard that is
// not a reader.
void PlugDemoReaders(SimulatedHidLibrary& library);

}  // namespace kx12r
