#pragma once

#include <QCoreApplication>
#include <functional>

#include "base/WaitClock.h"

namespace kx12r {

// Time that passes only in pauses, at once; window events still run in each pause.
class FakeClock : public WaitClock {
 public:
  std::chrono::milliseconds Now() override { return now_; }
  void Pause(std::chrono::milliseconds duration) override {
    QCoreApplication::processEvents();
    now_ += duration;
    ++pauses;
    if (on_pause) on_pause(now_);
  }
  void Sleep(std::chrono::milliseconds duration) override {
    now_ += duration;
    slept += duration;
  }

  std::chrono::milliseconds slept{0};
  int pauses = 0;
  std::function<void(std::chrono::milliseconds now)> on_pause;

 private:
  std::chrono::milliseconds now_{0};
};

}  // namespace kx12r
