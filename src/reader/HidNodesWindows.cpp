// Windows lists a HID collection once its driver has it ready, and the path names the
// connection. hidapi 0.13 has no call for the report descriptor there, so the reader's usual
// report lengths serve.
#include "reader/HidNodes.h"

namespace kx12r {

NodeState ProbeHidrawNode(const std::string&, const std::string& path) {
  return {.initialized = true, .accessible = true, .connection = path};
}

std::vector<std::uint8_t> ReadReportDescriptor(const std::string&, const std::string&) {
  return {};
}

}  // namespace kx12r
