// The signals that end a long command at a safe point.
#include "cli/StopOnSignals.h"

#include <array>
#include <atomic>
#include <csignal>

namespace kx12r::cli {
namespace {

#ifdef SIGHUP
constexpr std::array kStopSignals = {SIGINT, SIGTERM, SIGHUP};
#else
constexpr std::array kStopSignals = {SIGINT, SIGTERM, SIGBREAK};  // Ctrl+C, Ctrl+Break
#endif
std::atomic<int> requested{0};  // the signal's number

// Windows puts a signal back to its default (ending the process) once it is taken: the handler
// takes it again, so a second Ctrl+C also waits for the reader in hand.
void NoteSignal(int taken) {
  requested = taken;
  std::signal(taken, NoteSignal);
}

}  // namespace

StopOnSignals::StopOnSignals() {
  requested = 0;
  for (const int number : kStopSignals) std::signal(number, NoteSignal);
}

// The work it guarded is over: from here a signal would only take the status from the results.
StopOnSignals::~StopOnSignals() { IgnoreStopSignals(); }

bool StopOnSignals::Requested() { return requested.load() != 0; }
int StopOnSignals::Signal() { return requested.load(); }

void IgnoreStopSignals() {
  for (const int number : kStopSignals) std::signal(number, SIG_IGN);
}

}  // namespace kx12r::cli
