#pragma once

#include <QLockFile>
#include <QString>

#include "simulator/SimulatedHidLibrary.h"

namespace kx12r {

// The demo readers' settings kept in a file between runs, so that a second run sees what the
// first wrote. While it lives it holds the file's lock (FILE.lock): two processes take turns,
// each reading the file when it starts and writing it whole when it is done.
class DemoState {
 public:
  // Takes the lock, then gives the readers of `library` the settings the file keeps for their
  // serial numbers; a missing file keeps them as they are.
  DemoState(QString path, SimulatedHidLibrary& library);
  DemoState(const DemoState&) = delete;
  DemoState& operator=(const DemoState&) = delete;

  // Writes every reader's settings, atomically; the reason when that failed, else empty.
  QString Save() const;
  // Why the file could not be read or locked; empty when all went well.
  const QString& Problem() const { return problem_; }

 private:
  QString path_;
  SimulatedHidLibrary& library_;
  QLockFile lock_;
  QString problem_;
};

}  // namespace kx12r
