// Writing a file to readers as they are plugged in, and confirming what they hold.
#include "cli/Provisioning.h"

#include <set>

#include "files/SettingsApply.h"
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
  const ReaderApply applied = ApplyToReader(station.hid, reader.handle, station.parameters, {});
  if (applied.refused) return ResultFor(reader, Outcome::kRefused, {*applied.refused});
  ReaderResult result = Confirmed(station.hid, reader, station.parameters, station.verify);
  // The signal tells the worker the reader is done without a look at the screen.
  if (result.outcome == Outcome::kWritten) {
    SendReaderCommand(station.hid, reader.handle, command::kIndicate);
  }
  return result;
}

}  // namespace

ReaderResult Confirmed(HidLibrary& hid, const ConnectedReader& reader,
                       const std::vector<AppliedParameter>& parameters, bool verify) {
  // A reader may echo a command and still not keep the value: all of them are read back.
  std::vector<SettingsKey> differing;
  std::optional<ReaderValues> held;
  if (verify) {
    const ConnectedReader read_back = ReadConnectedReader(hid, reader.handle);
    TellRefusedQueries(read_back);
    differing = DifferingParameters(read_back.Values(), parameters);
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
  StartingReaders starting(station.clock);
  int dealt = 0;
  bool all_written = true;
  if (!hid.Connect()) return false;
  while (!(station.stop && station.stop())) {
    bool look_again_soon = false;
    std::set<int> present;
    const int count = hid.GetItemCount();
    if (hid.GetPendingReaderCount() > 0) look_again_soon = true;
    for (int index = 0; index < count; ++index) {
      const int handle = hid.GetItem(index);
      present.insert(handle);
      if (dealt_with.contains(handle) ||
          !IsReaderIdentity(hid.GetVendorID(handle), hid.GetProductID(handle))) {
        continue;
      }
      const ConnectedReader reader = ReadConnectedReader(hid, handle);
      TellRefusedQueries(reader);
      starting.Note(reader);
      // It may still be starting: asked again for the late-reader grace.
      if (reader.silent && starting.Waiting(handle)) {
        look_again_soon = true;
        continue;
      }
      dealt_with.insert(handle);
      if (!reader.access_denied && !reader.Listed() && !reader.silent) continue;
      const ReaderResult result =
          reader.silent ? ResultFor(reader, Outcome::kSilent) : Provisioned(station, reader);
      all_written = all_written && result.outcome == Outcome::kWritten;
      station.done(result);
      if (++dealt == station.count || (station.stop && station.stop())) return all_written;
    }
    // Handles of readers gone are never given again: forgetting them keeps the sets small.
    std::erase_if(dealt_with, [&](int handle) { return !present.contains(handle); });
    starting.KeepOnly(present);
    station.nodes.WaitForChange(look_again_soon ? kLatePoll : kQuietPoll);
  }
  return all_written;
}

}  // namespace kx12r::cli
