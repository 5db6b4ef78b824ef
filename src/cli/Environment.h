#pragma once

#include <QString>
#include <QTextStream>
#include <functional>

#include "base/WaitClock.h"
#include "db/ServiceDatabase.h"
#include "reader/HidLibrary.h"
#include "reader/KeyboardInputs.h"
#include "reader/NodeWatch.h"

namespace kx12r::cli {

// Exit statuses of kx12rctl.
enum ExitStatus {
  kDone = 0,      // every chosen reader did what was asked
  kRefused = 1,   // refused, partly done, the file cannot be used, or the output is gone
  kUsage = 2,     // the call's words are wrong
  kNoReader = 3,  // no such reader, several of that number, or no permission
  kDatabase = 4,  // the service database cannot be read, or is missing where a file is judged
};

// Where kx12rctl works: the readers, the service database (it may be missing: code formats and
// endings are then named by number), results on `out`, messages on `err`.
struct Environment {
  HidLibrary& hid;
  QString database_path;
  QTextStream& out;
  QTextStream& err;
  // The readers' keyboard interfaces, for watch; and, with the demo readers, what presents them
  // a card once a second while watching.
  KeyboardInputs* keyboards = nullptr;
  std::function<void()> every_second;
  // Time for the waits on readers that answer late; the real clock unless given.
  WaitClock* clock = nullptr;
  // News of readers plugged in, for the station mode of apply.
  NodeWatch* nodes = nullptr;
  // How long a lookup waits for another program's lock on the database.
  std::chrono::milliseconds database_busy_timeout = kDatabaseBusyTimeout;
};

}  // namespace kx12r::cli
