#pragma once

#include <chrono>

namespace kx12r {

// Time for the waits that poll with window events running. Tests put in a clock whose time
// moves only when it is told to, so no test sleeps through a limit.
class WaitClock {
 public:
  virtual ~WaitClock() = default;
  virtual std::chrono::milliseconds Now() = 0;
  // Lets pending window events run, then passes `duration`.
  virtual void Pause(std::chrono::milliseconds duration) = 0;
  // Passes `duration` without running window events, as a blocking device call does.
  virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

// The real clock: a steady clock, and pauses in a local event loop.
class EventLoopClock : public WaitClock {
 public:
  std::chrono::milliseconds Now() override;
  void Pause(std::chrono::milliseconds duration) override;
  void Sleep(std::chrono::milliseconds duration) override;
};

}  // namespace kx12r
