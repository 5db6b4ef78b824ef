#pragma once

#include <chrono>
#include <map>
#include <vector>

#include "base/WaitClock.h"
#include "reader/ConnectedReader.h"
#include "reader/HidLibrary.h"

namespace kx12r {

// How long a reader that gives no answer at all may still be starting (readers restart after
// some commands, and answer a while after their node appears): it is asked again meanwhile
// before it is left out. A node udev still holds is waited for as long.
inline constexpr std::chrono::seconds kLateReaderGrace{5};
// How long a reader may stay without access before the user is told: udev grants it a moment
// after the node appears.
inline constexpr std::chrono::seconds kAccessSettlingTime{2};

// Where a device of the last enumeration stands.
enum class ScanState {
  kRead,            // its identity, and a configurable reader's settings, are all there is
  kStarting,        // a configurable reader that gave no answer yet, within its grace
  kAccessSettling,  // the system refuses access, for less than kAccessSettlingTime so far
  kDenied,          // the system refuses access
  kGone,            // the last enumeration no longer lists it
};

// The one look at the HID devices that the window's discovery, kx12rctl's commands and its
// station take: what one enumeration lists, and each reader's state across enumerations. A
// handle is one connection: what is known of a handle no longer listed is forgotten.
class ReaderScan {
 public:
  ReaderScan(HidLibrary& hid, WaitClock& clock) : hid_(hid), clock_(clock) {}

  // Enumerates the devices present now.
  const HidSnapshot& Enumerate();
  // The last enumeration.
  const HidSnapshot& Devices() const { return snapshot_; }
  // Reads a device: its identity and, for a configurable reader the program may open, its
  // settings.
  ConnectedReader Read(const HidDeviceInfo& device);
  ScanState StateOf(int handle) const;
  // Reads each starting reader again (those past their grace are left out for good) and gives
  // those that now answer.
  std::vector<ConnectedReader> ReadStartingAgain();
  bool AnyStarting() const;
  // Whether the system is still setting devices up: a node udev holds, or access not granted
  // for kAccessSettlingTime yet.
  bool Settling() const;

 private:
  HidLibrary& hid_;
  WaitClock& clock_;
  HidSnapshot snapshot_;
  std::map<int, std::chrono::milliseconds> silent_since_;
  std::map<int, std::chrono::milliseconds> denied_since_;
};

// Every reader of ours connected now, in the library's order, and those the system refuses the
// program access to, once the system has set them up and they have answered, each wait bounded
// on `clock`.
std::vector<ConnectedReader> ScanReaders(HidLibrary& hid, WaitClock& clock);

}  // namespace kx12r
