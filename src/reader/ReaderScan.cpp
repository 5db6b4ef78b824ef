// Finding the readers connected: the wait for nodes still being set up and for readers still
// starting.
#include "reader/ReaderScan.h"

#include <algorithm>

#include "reader/DeviceReading.h"

namespace kx12r {
namespace {

constexpr std::chrono::milliseconds kLateReaderPoll{250};

}  // namespace

void StartingReaders::Note(const ConnectedReader& reader) {
  if (reader.silent) {
    since_.try_emplace(reader.handle, clock_.Now());
  } else {
    since_.erase(reader.handle);
  }
}

bool StartingReaders::Waiting(int handle) const {
  const auto found = since_.find(handle);
  return found != since_.end() && clock_.Now() - found->second <= kLateReaderGrace;
}

std::vector<ConnectedReader> StartingReaders::ReadAgain(HidLibrary& hid) {
  std::vector<ConnectedReader> answered;
  for (auto starting = since_.begin(); starting != since_.end();) {
    if (!Waiting(starting->first)) {
      starting = since_.erase(starting);
      continue;
    }
    ConnectedReader reader = ReadConnectedReader(hid, starting->first);
    if (reader.silent) {
      ++starting;
      continue;
    }
    starting = since_.erase(starting);
    answered.push_back(std::move(reader));
  }
  return answered;
}

void StartingReaders::KeepOnly(const std::set<int>& present) {
  std::erase_if(since_, [&](const auto& entry) { return !present.contains(entry.first); });
}

std::vector<ConnectedReader> ScanReaders(HidLibrary& hid, WaitClock& clock) {
  if (!hid.Connect()) return {};
  // A reader plugged in a moment ago may still be in udev's hands: it is waited for, bounded.
  int count = hid.GetItemCount();
  for (const auto start = clock.Now();
       hid.GetPendingReaderCount() > 0 && clock.Now() - start < kLateReaderGrace;) {
    clock.Sleep(kLateReaderPoll);
    count = hid.GetItemCount();
  }
  StartingReaders starting(clock);
  std::vector<ConnectedReader> found;
  for (int i = 0; i < count; ++i) {
    const int handle = hid.GetItem(i);
    if (!IsReaderIdentity(hid.GetVendorID(handle), hid.GetProductID(handle))) continue;
    found.push_back(ReadConnectedReader(hid, handle));
    starting.Note(found.back());
  }
  while (starting.Any()) {
    clock.Sleep(kLateReaderPoll);
    for (ConnectedReader& reader : starting.ReadAgain(hid)) {
      *std::ranges::find(found, reader.handle, &ConnectedReader::handle) = std::move(reader);
    }
  }
  std::erase_if(found, [](const ConnectedReader& reader) {
    return !reader.access_denied && !reader.Listed();
  });
  return found;
}

}  // namespace kx12r
