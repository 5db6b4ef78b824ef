#include <algorithm>
#include <thread>

#include "cli/SystemDevices.h"

namespace kx12r::cli {
namespace {

// Windows tells only a window of devices that come and go: the station looks at the devices
// again every half second, which also lets Ctrl+C end its wait soon.
class PollingNodeWatch : public NodeWatch {
 public:
  void WaitForChange(std::chrono::milliseconds limit) override {
    std::this_thread::sleep_for(std::min(limit, std::chrono::milliseconds(500)));
  }
};

}  // namespace

std::unique_ptr<KeyboardInputs> SystemKeyboardInputs() { return nullptr; }

std::unique_ptr<NodeWatch> SystemNodeWatch() { return std::make_unique<PollingNodeWatch>(); }

}  // namespace kx12r::cli
