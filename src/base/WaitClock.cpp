// The real wait clock: a steady clock and pauses in a local event loop.
#include "base/WaitClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <thread>

namespace kx12r {

std::chrono::milliseconds EventLoopClock::Now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

void EventLoopClock::Pause(std::chrono::milliseconds duration) {
  QCoreApplication::processEvents();
  if (duration.count() <= 0) return;
  // The timer lives only as long as the pause, so an early return leaves none behind.
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(duration);
  loop.exec();
}

void EventLoopClock::Sleep(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

}  // namespace kx12r
