// A window program on Windows gets no signals: the system ends a session through the window's
// own messages, which Qt turns into the event loop's way out.
#include "app/EndOnSignals.h"

namespace kx12r {

EndOnSignals::EndOnSignals() = default;
EndOnSignals::~EndOnSignals() = default;
int EndOnSignals::EndStatus() { return 0; }

}  // namespace kx12r
