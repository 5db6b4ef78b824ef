#pragma once

#include <QObject>

class QSocketNotifier;

namespace kx12r {

// While it lives, SIGINT, SIGTERM and SIGHUP (Ctrl+C, `kill`, a closed terminal or a logout)
// end the event loops with 128 + the signal's number instead of killing the process, so what
// the program leaves behind (the demo's copy of the database) is cleaned up on the way out.
class EndOnSignals : public QObject {
 public:
  EndOnSignals();
  ~EndOnSignals() override;
  EndOnSignals(const EndOnSignals&) = delete;
  EndOnSignals& operator=(const EndOnSignals&) = delete;

 private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kx12r
