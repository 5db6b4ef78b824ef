#pragma once

#include <QtGlobal>
#include <chrono>

// The fakes the tests use: a discovery view that records, a presenter that answers at once, a
// clock whose waits cost nothing.
#include "FakeClock.h"
#include "ReaderWindow.h"
#include "ScriptedPresenter.h"

namespace kx12r {

using Clock = std::chrono::steady_clock;
// A full-speed USB device moves one report per 1 ms frame: the benchmarks' report floor.
inline constexpr std::chrono::microseconds kFrame{1000};

// Benchmarks need no display unless one is asked for.
inline void OffscreenUnlessTold() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace kx12r
