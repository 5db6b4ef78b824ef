// Writing a file to readers as they are plugged in, and confirming what they hold.
#include "cli/Provisioning.h"

#include <map>
#include <set>

#include "files/SettingsApply.h"
#include "reader/ReaderIdentity.h"
#include "reader/ReportExchange.h"

namespace kx12r::cli {
namespace {

using std::chrono::milliseconds;

// A silent or half-set-up reader is looked at again this often; otherwise the node watch wakes
// the station, and the longer wait only covers news it could not hear.
constexpr milliseconds kLatePoll{250};
constexpr milliseconds kQuietPoll{1000};

ReaderResult Provisioned(const Station& station, const ListedReader& reader) {
  if (!reader.Configurable()) {
    return ResultFor(reader, reader.access_denied ? Outcome::kNoAccess : Outcome::kNotConfigurable);
  }
  const ReaderApply applied = ApplyToReader(station.hid, reader.Handle(), station.parameters, {});
  if (applied.refused_caption)
    return ResultFor(reader, Outcome::kRefused, {*applied.refused_caption});
  ReaderResult result = Confirmed(station.hid, reader, station.parameters, station.verify);
  // The signal tells the worker the reader is done without a look at the screen.
  if (result.outcome == Outcome::kWritten) {
    SendReaderCommand(station.hid, reader.Handle(), command::kIndicate);
  }
  return result;
}

}  // namespace

ReaderResult Confirmed(HidLibrary& hid, const ListedReader& reader,
                       const std::vector<AppliedParameter>& parameters, bool verify) {
  // A reader may echo a command and still not keep the value: all of them are read back.
  QStringList differing =
      verify ? DifferingParameters(ReadDevice(hid, reader.Handle()), parameters) : QStringList();
  if (differing.isEmpty()) return ResultFor(reader, Outcome::kWritten);
  return ResultFor(reader, Outcome::kUnconfirmed, {differing.front()});
}

bool RunStation(const Station& station) {
  HidLibrary& hid = station.hid;
  std::set<int> dealt_with;                  // handles: a handle is one connection
  std::map<int, milliseconds> silent_since;  // readers that have not answered yet
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
      const ListedReader reader = ReadReader(hid, handle);
      if (reader.record.silent) {
        // It may still be starting: asked again for the late-reader grace.
        const milliseconds since =
            silent_since.try_emplace(handle, station.clock.Now()).first->second;
        if (station.clock.Now() - since < kLateReaderGrace) {
          look_again_soon = true;
          continue;
        }
      }
      dealt_with.insert(handle);
      if (!reader.access_denied && !reader.record.is_reader && !reader.record.silent) continue;
      const ReaderResult result =
          reader.record.silent ? ResultFor(reader, Outcome::kSilent) : Provisioned(station, reader);
      all_written = all_written && result.outcome == Outcome::kWritten;
      station.done(result);
      if (++dealt == station.count || (station.stop && station.stop())) return all_written;
    }
    // Handles of readers gone are never given again: forgetting them keeps the sets small.
    std::erase_if(dealt_with, [&](int handle) { return !present.contains(handle); });
    std::erase_if(silent_since, [&](const auto& entry) { return !present.contains(entry.first); });
    station.nodes.WaitForChange(look_again_soon ? kLatePoll : kQuietPoll);
  }
  return all_written;
}

}  // namespace kx12r::cli
