#pragma once

#include <functional>
#include <vector>

#include "base/WaitClock.h"
#include "cli/ReaderResults.h"
#include "reader/ConnectedReader.h"
#include "reader/HidLibrary.h"
#include "reader/NodeWatch.h"
#include "reader/SettingsCommit.h"

namespace kx12r::cli {

// After a reader took every setting: written, or, with `verify`, unconfirmed with the settings
// the reader does not hold when its settings are read back.
ReaderResult Confirmed(HidLibrary& hid, const ConnectedReader& reader,
                       const std::vector<SettingWrite>& writes, bool verify);

// A station: a worker plugs readers in one after another and each configurable one is written,
// verified and, when it holds the file, given its light and sound signal.
struct Station {
  HidLibrary& hid;
  NodeWatch& nodes;
  WaitClock& clock;
  std::vector<SettingWrite> writes;
  bool verify = true;
  int count = 0;  // readers to deal with before it ends; 0: no end
  // Hears of each reader dealt with: done, refused, or one that cannot be configured.
  std::function<void(const ReaderResult&)> done;
  // Asked between readers: the station ends once the reader in hand is finished.
  std::function<bool()> stop;
};

// Deals with every reader present or plugged in, once per connection (plugged in again, a
// reader is a new one), until `count` readers or `stop`. True when each one dealt with was
// written and held what was written.
bool RunStation(const Station& station);

}  // namespace kx12r::cli
