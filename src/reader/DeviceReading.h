#pragma once

#include "reader/ConnectedReader.h"
#include "reader/HidLibrary.h"

namespace kx12r {

// Reads a device's identity and, for a configurable reader the program may open, its settings
// with the queries v z a r p c s e.
ConnectedReader ReadConnectedReader(HidLibrary& hid, const HidDeviceInfo& device);
// A reader known already, its settings read anew.
ConnectedReader ReadSettingsAgain(HidLibrary& hid, const ConnectedReader& known);

}  // namespace kx12r
