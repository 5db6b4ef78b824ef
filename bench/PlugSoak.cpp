// Ten thousand discovery ticks while readers are plugged and unplugged in a random order: after
// every tick the device list shows exactly the readers plugged, and no report goes to a reader
// already gone (exit 1 on the first wrong list or such a write). Resident memory and open file
// descriptors at the start, on the way and at the end are printed; they should stay flat.
// Run: QT_QPA_PLATFORM=offscreen build/bench/plug_soak [SEED]
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStatusBar>
#include <cstdio>
#include <random>
#include <set>

#include "BenchSupport.h"
#include "simulator/SimulatedHidLibrary.h"

namespace {

using namespace kx12r;
constexpr int kTicks = 10000;
constexpr int kReport = 2000;
constexpr int kReaders = 8;

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

// The serial numbers of the rows the device list shows.
std::set<std::string> ShownSerials(FlexGrid& table) {
  std::set<std::string> shown;
  for (int row = 1; row < table.Rows(); ++row) {
    if (table.RowHeight(row) == 0) continue;
    shown.insert(table.TextMatrix(row, DeviceList::kSerialNumberColumn).toStdString());
  }
  return shown;
}

}  // namespace

int main(int argc, char** argv) {
  OffscreenUnlessTold();
  QApplication app(argc, argv);
  ScriptedPresenter presenter;
  SimulatedHidLibrary hid;
  FakeClock clock;  // the waits cost nothing
  hid.SetClock(clock);
  FlexGrid table;
  QStatusBar bar;
  StatusPanels status(bar);
  RecordingDiscoveryView view;
  ReaderLink link(hid, table, status, view, clock);
  link.InitDeviceTable();
  std::vector<SimulatedReader*> readers;
  for (int i = 0; i < kReaders; ++i) {
    readers.push_back(&hid.Plug({.serial_number = "0000" + std::to_string(i)}, {.variant = 3}));
  }
  const unsigned seed = argc > 1 ? std::stoul(argv[1]) : std::random_device{}();
  std::printf("seed %u\n", seed);
  std::mt19937 random(seed);

  long first_rss = 0;
  long first_fds = 0;
  for (int tick = 0; tick <= kTicks; ++tick) {
    SimulatedReader& reader = *readers[random() % readers.size()];
    if (hid.HandleOf(reader) != 0) {
      hid.Unplug(reader);
    } else {
      hid.PlugBack(reader);
    }
    link.Timer1Tick();
    // The soak measures the program, not the fakes' records.
    view.progress_log.clear();
    view.progress_values.clear();
    presenter.shown.clear();
    std::set<std::string> plugged;
    for (const SimulatedReader* each : readers) {
      if (hid.HandleOf(*each) != 0) plugged.insert(each->Identity().serial_number);
    }
    if (ShownSerials(table) != plugged) {
      std::printf("tick %d: the device list shows %zu readers, %zu are plugged\n", tick,
                  ShownSerials(table).size(), plugged.size());
      return 1;
    }
    if (hid.WritesToGoneDevices() > 0) {
      std::printf("tick %d: a report went to a reader already gone\n", tick);
      return 1;
    }
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
