// The window programs' way out on a signal: through the event loop, never from the handler.
#include "app/EndOnSignals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

namespace kx12r {
namespace {

constexpr std::array kEndingSignals = {SIGINT, SIGTERM, SIGHUP};
// The handler only writes the signal's number here; the event loop reads it.
int signal_pipe[2] = {-1, -1};
int end_status = 0;

void NoteSignal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  [[maybe_unused]] const ssize_t written = write(signal_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

EndOnSignals::EndOnSignals() {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signal_pipe) != 0) return;
  notifier_ = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [] {
    char byte = 0;
    if (read(signal_pipe[0], &byte, 1) != 1) return;
    end_status = 128 + byte;
    QCoreApplication::exit(end_status);
  });
  struct sigaction action {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : kEndingSignals) sigaction(number, &action, nullptr);
}

int EndOnSignals::EndStatus() { return end_status; }

EndOnSignals::~EndOnSignals() {
  if (notifier_ == nullptr) return;
  for (const int number : kEndingSignals) std::signal(number, SIG_DFL);
  delete notifier_;
  close(signal_pipe[0]);
  close(signal_pipe[1]);
  signal_pipe[0] = signal_pipe[1] = -1;
}

}  // namespace kx12r
