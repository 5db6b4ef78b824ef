#include "WaitClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace kx12r {

std::chrono::milliseconds EventLoopClock::Now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

void EventLoopClock::Pause(std::chrono::milliseconds duration) {
  QCoreApplication::processEvents();
  if (duration.count() <= 0) return;
  QEventLoop loop;
  QTimer::singleShot(duration, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace kx12r
