// Station mode's speed: 100 simulated readers at 1 ms per report, each plugged in at a random
// moment while the station waits, timed from its node appearing to its light and sound signal,
// against the bound of the report floor (16 reports to write, 16 to verify) plus 250 ms for
// udev. Median and worst come with their ratio to the bound.
// Run: build/bench/station_bench [seed]
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "cli/Provisioning.h"
#include "simulator/SimulatedHidLibrary.h"

namespace {

using namespace kx12r;
using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;
constexpr int kReaders = 100;
constexpr Milliseconds kBound{16 + 16 + 250};

// A worker who plugs the next reader in at a random moment of each wait, after taking the last
// one out; the wait ends when the node appears, as udev's news would end it.
class Worker : public NodeWatch {
 public:
  Worker(SimulatedHidLibrary& hid, unsigned seed) : hid_(hid), random_(seed) {}
  void WaitForChange(std::chrono::milliseconds limit) override {
    if (in_hand_) hid_.Unplug(*in_hand_);
    std::uniform_int_distribution<long long> moment(0, std::min<long long>(limit.count(), 40));
    std::this_thread::sleep_for(std::chrono::milliseconds(moment(random_)));
    in_hand_ = &hid_.Plug({.version = 0x0184, .serial_number = std::to_string(10000 + ++plugged)});
    plugged_at = Clock::now();
  }
  Clock::time_point plugged_at;
  int plugged = 0;

 private:
  SimulatedHidLibrary& hid_;
  std::mt19937 random_;
  SimulatedReader* in_hand_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const unsigned seed = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : std::random_device{}();
  SimulatedHidLibrary hid;
  EventLoopClock clock;
  hid.SetClock(clock);
  hid.SetReportLatency(std::chrono::microseconds(1000));
  Worker worker(hid, seed);
  const std::vector<SettingWrite> file = {
      {SettingsKey::kVariant, 8},        {SettingsKey::kPrefix, Affix{"AB"}},
      {SettingsKey::kCodeFormat, 5},     {SettingsKey::kSuffix, Affix{}},
      {SettingsKey::kEnding, 13},        {SettingsKey::kBuzzerOff, true},
      {SettingsKey::kStandAlone, false}, {SettingsKey::kRepeatMessage, true}};
  std::vector<double> times;
  int failed = 0;
  const bool all_written = cli::RunStation({
      .hid = hid,
      .nodes = worker,
      .clock = clock,
      .writes = file,
      .count = kReaders,
      // The signal is the last report to a reader before it is reported done.
      .done =
          [&](const cli::ReaderResult& result) {
            times.push_back(Milliseconds(Clock::now() - worker.plugged_at).count());
            if (result.outcome != cli::Outcome::kWritten) ++failed;
          },
  });
  std::ranges::sort(times);
  const double median = times[times.size() / 2];
  const double worst = times.back();
  std::printf("seed %u: %zu readers, node to signal: median %.1f ms, worst %.1f ms\n", seed,
              times.size(), median, worst);
  std::printf("bound %.0f ms (32 reports at 1 ms + 250 ms for udev)\n", kBound.count());
  std::printf("ratio median %.2f, worst %.2f\n", median / kBound.count(), worst / kBound.count());
  if (!all_written || failed > 0) {
    std::printf("%d readers not written\n", failed);
    return 1;
  }
  return worst <= kBound.count() ? 0 : 1;
}
