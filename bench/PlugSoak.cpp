// Ten thousand discovery ticks while readers are plugged and unplugged: resident memory and open
// file descriptors at the start, on the way and at the end, which should stay flat.
// Run: QT_QPA_PLATFORM=offscreen build/bench/plug_soak
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStatusBar>
#include <cstdio>

#include "BenchSupport.h"
#include "SimulatedHidLibrary.h"

namespace {

using namespace kx12r;
constexpr int kTicks = 10000;
constexpr int kReport = 2000;

// Time that passes at once, so the waits cost nothing.
class InstantClock : public WaitClock {
 public:
  std::chrono::milliseconds Now() override { return now_; }
  void Pause(std::chrono::milliseconds duration) override { now_ += duration; }
  void Sleep(std::chrono::milliseconds duration) override { now_ += duration; }

 private:
  std::chrono::milliseconds now_{0};
};

long ResidentKiB() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
  }
  return -1;
}

long OpenDescriptors() {
  return QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  SilentPresenter presenter;
  SimulatedHidLibrary hid;
  InstantClock clock;
  hid.SetClock(clock);
  FlexGrid table;
  QStatusBar bar;
  StatusPanels status(bar);
  NoDiscoveryView view;
  ReaderLink link(hid, table, status, view, clock);
  link.InitDeviceTable();
  hid.Plug({.serial_number = "00000"}, {.variant = 8});
  std::vector<SimulatedReader*> coming_and_going;
  for (int i = 1; i <= 4; ++i)
    coming_and_going.push_back(
        &hid.Plug({.serial_number = "0000" + std::to_string(i)}, {.variant = 3}));

  long first_rss = 0;
  long first_fds = 0;
  for (int tick = 0; tick <= kTicks; ++tick) {
    SimulatedReader& reader = *coming_and_going[tick % coming_and_going.size()];
    if (hid.HandleOf(reader) != 0) {
      hid.Unplug(reader);
    } else {
      hid.PlugBack(reader);
    }
    link.Timer1Tick();
    if (tick % kReport == 0) {
      const long rss = ResidentKiB();
      const long fds = OpenDescriptors();
      if (tick == 0) {
        first_rss = rss;
        first_fds = fds;
      }
      std::printf("tick %5d: resident %6ld KiB, open descriptors %3ld, readers listed %d\n", tick,
                  rss, fds, link.CountListedReaders());
    }
  }
  std::printf("growth over %d ticks: resident %+ld KiB, open descriptors %+ld\n", kTicks,
              ResidentKiB() - first_rss, OpenDescriptors() - first_fds);
  return 0;
}
