// Writing a file to readers as they are plugged in, and confirming what they hold.
#include "cli/Provisioning.h"

#include <set>

#include "reader/DeviceReading.h"
#include "reader/ReaderIdentity.h"
#include "reader/ReaderScan.h"
#include "reader/ReportExchange.h"
#include "shown/ShownSettings.h"

namespace kx12r::cli {
namespace {

using std::chrono::milliseconds;

// A silent or half-set-up reader is looked at again this often; otherwise the node watch wakes
// the station, and the longer wait only covers news it could not hear.
constexpr milliseconds kLatePoll{250};
constexpr milliseconds kQuietPoll{1000};

ReaderResult Provisioned(const Station& station, const ConnectedReader& reader) {
  if (!reader.Configurable()) {
    return ResultFor(reader, reader.access_denied ? Outcome::kNoAccess : Outcome::kNotConfigurable);
  }
  if (const auto refused = CommitSettings(station.hid, reader.handle, station.writes)) {
    return ResultFor(reader, Outcome::kRefused, {*refused});
  }
  ReaderResult result = Confirmed(station.hid, reader, station.writes, station.verify);
  // The signal tells the worker the reader is done without a look at the screen.
  if (result.outcome == Outcome::kWritten) {
    SendReaderCommand(station.hid, reader.handle, command::kIndicate);
  }
  return result;
}

}  // namespace

ReaderResult Confirmed(HidLibrary& hid, const ConnectedReader& reader,
                       const std::vector<SettingWrite>& writes, bool verify) {
  // A reader may echo a command and still not keep the value: all of them are read back.
  std::vector<SettingsKey> differing;
  std::optional<ReaderValues> held;
  if (verify) {
    const ConnectedReader read_back = ReadSettingsAgain(hid, reader);
    TellRefusedQueries(read_back);
    differing = NotHeld(read_back.Values(), writes);
    if (read_back.Configurable()) held = read_back.Values();
  }
  ReaderResult result = differing.empty()
                            ? ResultFor(reader, Outcome::kWritten)
                            : ResultFor(reader, Outcome::kUnconfirmed, {differing.front()});
  result.read_back = held;
  return result;
}

bool RunStation(const Station& station) {
  HidLibrary& hid = station.hid;
  std::set<int> dealt_with;  // handles: a handle is one connection
  ReaderScan scan(hid, station.clock);
  int dealt = 0;
  bool all_written = true;
  if (!hid.Connect()) return false;
  while (!(station.stop && station.stop())) {
    const HidSnapshot& present = scan.Enumerate();
    // A reader still being set up, or still starting, is looked at again soon.
    bool look_again_soon = present.held_readers > 0;
    for (const HidDeviceInfo& device : present.devices) {
      if (dealt_with.contains(device.handle) ||
          !IsReaderIdentity(device.vendor_id, device.product_id)) {
        continue;
      }
      if (scan.StateOf(device.handle) == ScanState::kAccessSettling) {
        look_again_soon = true;
        continue;
      }
      const ConnectedReader reader = scan.Read(device);
      TellRefusedQueries(reader);
      if (scan.StateOf(device.handle) == ScanState::kStarting) {
        look_again_soon = true;
        continue;
      }
      dealt_with.insert(device.handle);
      if (!reader.access_denied && !reader.Listed() && !reader.silent) continue;
      const ReaderResult result =
          reader.silent ? ResultFor(reader, Outcome::kSilent) : Provisioned(station, reader);
      all_written = all_written && result.outcome == Outcome::kWritten;
      station.done(result);
      if (++dealt == station.count || (station.stop && station.stop())) return all_written;
    }
    // Handles of readers gone are never given again: forgetting them keeps the set small.
    std::erase_if(dealt_with, [&](int handle) { return !present.Find(handle); });
    station.nodes.WaitForChange(look_again_soon ? kLatePoll : kQuietPoll);
  }
  return all_written;
}

}  // namespace kx12r::cli
