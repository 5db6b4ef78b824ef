// How the device list's cached texts read as numbers and flags.
#include "reader/CachedReader.h"

#include "base/NumericText.h"

namespace kx12r {

int CachedNumber(const QString& cell) { return LeadingInteger(cell); }

// A flag is cached -1 or 0; any other number counts as set.
bool CachedFlag(const QString& cell) { return LeadingNumber(cell) != 0; }

}  // namespace kx12r
