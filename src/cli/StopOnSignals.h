#pragma once

namespace kx12r::cli {

// While it lives, Ctrl+C and SIGTERM do not end the process: they are noted, and the command
// that asks Requested stops at its next safe point. One lives at a time.
class StopOnSignals {
 public:
  StopOnSignals();
  ~StopOnSignals();
  StopOnSignals(const StopOnSignals&) = delete;
  StopOnSignals& operator=(const StopOnSignals&) = delete;

  static bool Requested();
};

}  // namespace kx12r::cli
