// The signals that end a long command at a safe point.
#include "cli/StopOnSignals.h"

#include <array>
#include <atomic>
#include <csignal>

namespace kx12r::cli {
namespace {

constexpr std::array kStopSignals = {SIGINT, SIGTERM, SIGHUP};
std::atomic<int> requested{0};  // the signal's number
using Handler = void (*)(int);
std::array<Handler, kStopSignals.size()> previous{};

}  // namespace

StopOnSignals::StopOnSignals() {
  requested = 0;
  for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
    previous[i] = std::signal(kStopSignals[i], [](int number) { requested = number; });
  }
}

StopOnSignals::~StopOnSignals() {
  for (std::size_t i = 0; i < kStopSignals.size(); ++i) std::signal(kStopSignals[i], previous[i]);
}

bool StopOnSignals::Requested() { return requested.load() != 0; }
int StopOnSignals::Signal() { return requested.load(); }

void IgnoreStopSignals() {
  for (const int number : kStopSignals) std::signal(number, SIG_IGN);
}

}  // namespace kx12r::cli
