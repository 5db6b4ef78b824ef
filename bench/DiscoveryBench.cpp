// Discovery of simulated readers on a 1 ms-per-report bus, against the floor of the reports the
// protocol needs (eight queries of a write and a read each: 16 per reader) x 1 ms, and the cost
// of one command with discovery idle. Ratios come last.
// Run: QT_QPA_PLATFORM=offscreen build/bench/discovery_bench
#include <QApplication>
#include <QStatusBar>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "BenchSupport.h"
#include "link/ReaderLink.h"
#include "simulator/SimulatedHidLibrary.h"

namespace {

using namespace kx12r;
constexpr double kBound = 1.10;
constexpr std::size_t kReportsPerReader = 16;

struct Setup {
  SimulatedHidLibrary hid;
  FlexGrid table;
  QStatusBar bar;
  StatusPanels status{bar};
  RecordingDiscoveryView view;
  EventLoopClock clock;
  ReaderLink link{hid, table, status, view, clock};
  std::vector<SimulatedReader*> readers;

  explicit Setup(int count) {
    link.InitDeviceTable();
    for (int i = 0; i < count; ++i) {
      readers.push_back(&hid.Plug({.serial_number = "00001"}, {.variant = 8, .prefix = "AB"}));
    }
    hid.SetReportLatency(kFrame);
  }
  std::size_t Reports() const {
    std::size_t reports = 0;
    for (const auto* reader : readers) reports += reader->Log().size();
    return reports;
  }
};

struct DiscoveryResult {
  int readers;
  double ratio;
};

std::optional<DiscoveryResult> Discovery(int count) {
  Setup setup(count);
  const auto start = Clock::now();
  setup.link.DiscoverReaders(true);
  const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
  const std::size_t needed = kReportsPerReader * count;
  const double floor_ms = static_cast<double>(needed) * kFrame.count() / 1000.0;
  std::printf("discovery of %2d readers: %4zu reports (%zu needed), %8.2f ms, floor %7.2f ms\n",
              count, setup.Reports(), needed, elapsed.count(), floor_ms);
  if (setup.Reports() != needed) {
    std::printf("discovery of %2d readers sent other reports than the protocol needs\n", count);
    return std::nullopt;
  }
  return DiscoveryResult{count, elapsed.count() / floor_ms};
}

void OneCommand(std::chrono::microseconds latency) {
  Setup setup(1);
  setup.hid.SetReportLatency(std::chrono::microseconds(0));
  setup.link.DiscoverReaders(true);
  setup.hid.SetReportLatency(latency);
  constexpr int kRounds = 200;
  const auto start = Clock::now();
  for (int i = 0; i < kRounds; ++i) setup.link.SendToSelectedReader('V', ParameterList{"8"});
  const std::chrono::duration<double, std::micro> elapsed = Clock::now() - start;
  std::printf("SendToSelectedReader, discovery idle, %4lld us per report: %8.1f us per command\n",
              static_cast<long long>(latency.count()), elapsed.count() / kRounds);
}

}  // namespace

int main(int argc, char** argv) {
  OffscreenUnlessTold();
  QApplication app(argc, argv);
  std::vector<std::optional<DiscoveryResult>> results;
  for (int count : {1, 8, 32}) results.push_back(Discovery(count));
  OneCommand(std::chrono::microseconds(0));
  OneCommand(kFrame);
  bool within = true;
  for (const auto& result : results) {
    if (!result) {
      within = false;
      continue;
    }
    const bool ok = result->ratio <= kBound;
    within = within && ok;
    std::printf("ratio, discovery of %2d readers to its floor: %.3f (bound %.2f) %s\n",
                result->readers, result->ratio, kBound, ok ? "ok" : "OVER BOUND");
  }
  return within ? 0 : 1;
}
