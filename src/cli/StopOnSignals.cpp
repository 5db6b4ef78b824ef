// The signals that end a long command at a safe point.
#include "cli/StopOnSignals.h"

#include <atomic>
#include <csignal>

namespace kx12r::cli {
namespace {

std::atomic<bool> requested{false};
using Handler = void (*)(int);
Handler previous_int = SIG_DFL;
Handler previous_term = SIG_DFL;

}  // namespace

StopOnSignals::StopOnSignals() {
  requested = false;
  previous_int = std::signal(SIGINT, [](int) { requested = true; });
  previous_term = std::signal(SIGTERM, [](int) { requested = true; });
}

StopOnSignals::~StopOnSignals() {
  std::signal(SIGINT, previous_int);
  std::signal(SIGTERM, previous_term);
}

bool StopOnSignals::Requested() { return requested.load(); }

}  // namespace kx12r::cli
