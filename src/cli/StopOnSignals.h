#pragma once

namespace kx12r::cli {

// While it lives, Ctrl+C, SIGTERM and SIGHUP (a closed terminal, a lost ssh session) do not end
// the process: they are noted, and the command that asks Requested stops at its next safe
// point. When it ends, the work is done and they are ignored from then on. One lives at a time.
class StopOnSignals {
 public:
  StopOnSignals();
  ~StopOnSignals();
  StopOnSignals(const StopOnSignals&) = delete;
  StopOnSignals& operator=(const StopOnSignals&) = delete;

  static bool Requested();
  // The signal that asked to stop; 0 for none.
  static int Signal();
};

// Once the results are out, those signals change nothing: the status is the work's.
void IgnoreStopSignals();

}  // namespace kx12r::cli
