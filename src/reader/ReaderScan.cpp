// Finding the readers connected: the wait for nodes and access still being set up, and for
// readers still starting.
#include "reader/ReaderScan.h"

#include <algorithm>

#include "reader/DeviceReading.h"

namespace kx12r {
namespace {

constexpr std::chrono::milliseconds kLateReaderPoll{250};

}  // namespace

const HidSnapshot& ReaderScan::Enumerate() {
  snapshot_ = hid_.Enumerate();
  const auto now = clock_.Now();
  const auto gone = [&](const auto& entry) { return !snapshot_.Find(entry.first); };
  std::erase_if(silent_since_, gone);
  std::erase_if(denied_since_, gone);
  for (const HidDeviceInfo& device : snapshot_.devices) {
    if (device.access_denied) denied_since_.try_emplace(device.handle, now);
  }
  return snapshot_;
}

ConnectedReader ReaderScan::Read(const HidDeviceInfo& device) {
  ConnectedReader reader = ReadConnectedReader(hid_, device);
  if (reader.silent) {
    silent_since_.try_emplace(device.handle, clock_.Now());
  } else {
    silent_since_.erase(device.handle);
  }
  return reader;
}

ScanState ReaderScan::StateOf(int handle) const {
  const HidDeviceInfo* device = snapshot_.Find(handle);
  if (!device) return ScanState::kGone;
  const auto now = clock_.Now();
  if (device->access_denied) {
    const auto since = denied_since_.find(handle);
    return since != denied_since_.end() && now - since->second < kAccessSettlingTime
               ? ScanState::kAccessSettling
               : ScanState::kDenied;
  }
  const auto silent = silent_since_.find(handle);
  return silent != silent_since_.end() && now - silent->second <= kLateReaderGrace
             ? ScanState::kStarting
             : ScanState::kRead;
}

std::vector<ConnectedReader> ReaderScan::ReadStartingAgain() {
  std::vector<ConnectedReader> answered;
  for (auto starting = silent_since_.begin(); starting != silent_since_.end();) {
    const int handle = starting->first;
    if (StateOf(handle) != ScanState::kStarting) {
      starting = silent_since_.erase(starting);
      continue;
    }
    ConnectedReader reader = ReadConnectedReader(hid_, *snapshot_.Find(handle));
    if (reader.silent) {
      ++starting;
      continue;
    }
    starting = silent_since_.erase(starting);
    answered.push_back(std::move(reader));
  }
  return answered;
}

bool ReaderScan::AnyStarting() const {
  return std::ranges::any_of(silent_since_, [&](const auto& entry) {
    return StateOf(entry.first) == ScanState::kStarting;
  });
}

bool ReaderScan::Settling() const {
  return snapshot_.held_readers > 0 ||
         std::ranges::any_of(snapshot_.devices, [&](const HidDeviceInfo& device) {
           return IsReaderIdentity(device.vendor_id, device.product_id) &&
                  StateOf(device.handle) == ScanState::kAccessSettling;
         });
}

std::vector<ConnectedReader> ScanReaders(HidLibrary& hid, WaitClock& clock) {
  if (!hid.Connect()) return {};
  ReaderScan scan(hid, clock);
  // A reader plugged in a moment ago may still be in udev's hands: it is waited for, bounded.
  scan.Enumerate();
  for (const auto start = clock.Now(); scan.Settling() && clock.Now() - start < kLateReaderGrace;) {
    clock.Sleep(kLateReaderPoll);
    scan.Enumerate();
  }
  std::vector<ConnectedReader> found;
  for (const HidDeviceInfo& device : scan.Devices().devices) {
    if (IsReaderIdentity(device.vendor_id, device.product_id)) found.push_back(scan.Read(device));
  }
  while (scan.AnyStarting()) {
    clock.Sleep(kLateReaderPoll);
    for (ConnectedReader& reader : scan.ReadStartingAgain()) {
      *std::ranges::find(found, reader.handle, &ConnectedReader::handle) = std::move(reader);
    }
  }
  std::erase_if(found, [](const ConnectedReader& reader) {
    return !reader.access_denied && !reader.Listed();
  });
  return found;
}

}  // namespace kx12r
