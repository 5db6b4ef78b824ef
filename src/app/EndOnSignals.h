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

  // 128 + the number of the signal that ended the program; 0 while none has. An event loop
  // started after it (the main window's, after a box at start-up took the signal) would not
  // know: start-up asks this.
  static int EndStatus();

 private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kx12r
