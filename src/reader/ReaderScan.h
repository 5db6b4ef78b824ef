#pragma once

#include <chrono>
#include <map>
#include <set>
#include <vector>

#include "base/WaitClock.h"
#include "reader/ConnectedReader.h"
#include "reader/HidLibrary.h"

namespace kx12r {

// How long a reader that gives no answer at all may still be starting (readers restart after
// some commands, and answer a while after their node appears): it is asked again meanwhile
// before it is left out.
inline constexpr std::chrono::seconds kLateReaderGrace{5};

// Readers that gave no answer at all, each with when that was first seen.
class StartingReaders {
 public:
  explicit StartingReaders(WaitClock& clock) : clock_(clock) {}

  // Notes a read: a silent reader keeps the moment it was first silent, one that answered is
  // no longer starting.
  void Note(const ConnectedReader& reader);
  // Whether a silent reader may still be starting.
  bool Waiting(int handle) const;
  bool Any() const { return !since_.empty(); }
  // Reads each reader still within its grace again (the others are left out for good) and
  // gives those that now answer.
  std::vector<ConnectedReader> ReadAgain(HidLibrary& hid);
  // Forgets readers no longer connected: a handle is one connection.
  void KeepOnly(const std::set<int>& present);

 private:
  WaitClock& clock_;
  std::map<int, std::chrono::milliseconds> since_;
};

// Every reader of ours connected now, in the library's order, and those the system refuses the
// program access to. A reader whose node the system is still setting up is waited for, and one
// that gives no answer at all is asked again, each for at most kLateReaderGrace on `clock`
// before it is left out.
std::vector<ConnectedReader> ScanReaders(HidLibrary& hid, WaitClock& clock);

}  // namespace kx12r
