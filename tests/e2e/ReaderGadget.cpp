// The reader model on the gadget side of a configfs HID function, for the end-to-end suite.
//
//   kx12r-reader-gadget /dev/hidgN LOG --product HEX --version HEX [--silent-ms MS]
//                       [--unplug-after N UDC-FILE]
//
// Each output report the host sends arrives on /dev/hidgN as 64 bytes; the model answers as a
// reader with that product id and firmware would, by writing one input report back. H gets no
// reply. Every report received is appended to LOG as one line of hex bytes ("< 56 35 20 ..."),
// every reply as "> ...". With --silent-ms the model leaves everything unanswered for that long
// after it starts, as a reader whose firmware is still starting up. With --unplug-after the
// model takes N reports, then unbinds its gadget from the controller (writes UDC-FILE empty)
// without answering the last one, and ends: a reader pulled out in the middle of a command.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "reader/ReportExchange.h"
#include "simulator/SimulatedHidLibrary.h"

namespace {

constexpr std::size_t kReportLength = 64;

// The model's answer comes at once; nothing here waits on a clock.
class NoWaitClock : public kx12r::WaitClock {
 public:
  std::chrono::milliseconds Now() override { return {}; }
  void Pause(std::chrono::milliseconds) override {}
  void Sleep(std::chrono::milliseconds) override {}
};

void LogReport(std::FILE* log, char direction, const std::uint8_t* bytes, std::size_t length) {
  std::fprintf(log, "%c", direction);
  for (std::size_t i = 0; i < length; ++i) std::fprintf(log, " %02X", bytes[i]);
  std::fprintf(log, "\n");
  std::fflush(log);
}

int Usage() {
  std::fprintf(stderr,
               "usage: kx12r-reader-gadget /dev/hidgN LOG --product HEX --version HEX "
               "[--silent-ms MS] [--unplug-after N UDC-FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  kx12r::SimulatedIdentity identity;
  identity.input_report_length = identity.output_report_length = kReportLength + 1;
  long silent_ms = 0;
  long unplug_after = -1;
  std::string udc_file;
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--unplug-after" && i + 2 < argc) {
      unplug_after = std::strtol(argv[i + 1], nullptr, 10);
      udc_file = argv[i + 2];
      ++i;
      continue;
    }
    const unsigned long value = std::strtoul(argv[i + 1], nullptr, option == "--silent-ms" ? 10 : 16);
    if (option == "--product") {
      identity.product_id = static_cast<std::uint16_t>(value);
    } else if (option == "--version") {
      identity.version = static_cast<std::uint16_t>(value);
    } else if (option == "--silent-ms") {
      silent_ms = static_cast<long>(value);
    } else {
      return Usage();
    }
  }
  int node = ::open(argv[1], O_RDWR | O_CLOEXEC);
  std::FILE* log = std::fopen(argv[2], "a");
  if (node < 0 || !log) {
    std::perror("kx12r-reader-gadget");
    return 1;
  }

  NoWaitClock clock;
  kx12r::SimulatedHidLibrary bus;
  bus.SetClock(clock);
  bus.Connect();
  bus.Plug(identity);
  const int handle = bus.Enumerate().devices.at(0).handle;
  const auto started = std::chrono::steady_clock::now();

  std::uint8_t report[kReportLength + 1] = {};
  for (;;) {
    const ssize_t got = ::read(node, report + 1, kReportLength);
    if (got <= 0) {
      // Unbound from its controller, the node goes; it comes back when the gadget is bound again.
      if (got < 0 && errno != EINTR) {
        ::close(node);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        node = ::open(argv[1], O_RDWR | O_CLOEXEC);
      }
      continue;
    }
    LogReport(log, '<', report + 1, static_cast<std::size_t>(got));
    if (unplug_after > 0 && --unplug_after == 0) {
      std::FILE* udc = std::fopen(udc_file.c_str(), "w");
      const bool unbound = udc && std::fputs("\n", udc) >= 0 && std::fclose(udc) == 0;
      if (!unbound) std::perror("kx12r-reader-gadget: unbind");
      return unbound ? 0 : 1;
    }
    const bool starting_up = std::chrono::steady_clock::now() - started <
                             std::chrono::milliseconds(silent_ms);
    if (starting_up || report[1] == kx12r::command::kIndicate) continue;
    std::memset(report + 1 + got, 0, kReportLength - static_cast<std::size_t>(got));
    report[0] = 0;
    std::uint8_t reply[kReportLength + 1] = {};
    if (!bus.Write(handle, report) || !bus.Read(handle, reply)) continue;
    LogReport(log, '>', reply + 1, kReportLength);
    if (::write(node, reply + 1, kReportLength) < 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
}
