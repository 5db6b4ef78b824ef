// HidapiLibrary's reads through the link-time fake of the hidapi functions: byte 0 picks a
// device with plain or numbered 64-byte reports, bytes 1 and 2 the caller's buffer (2 to 1025
// bytes), then come the reports hidraw delivers, each a length byte and its bytes. A read never
// writes past the buffer, gives the report number in byte 0 (0 where the device numbers none),
// keeps the report's bytes in order and leaves zeros where the report ended.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "FakeHidapi.h"
#include "FuzzTarget.h"
#include "reader/HidapiLibrary.h"

namespace {

// Usage page FF00, 64 bytes each way; the numbered one carries report id 1.
const std::vector<std::uint8_t> kPlain = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15,
                                          0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40,
                                          0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};
const std::vector<std::uint8_t> kNumbered = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

// A sysfs folder with both devices' descriptors, made once per process.
const std::string& SysfsRoot() {
  static const std::string root = [] {
    char pattern[] = "/tmp/kx12r-fuzz-sysfs-XXXXXX";
    const std::filesystem::path folder = ::mkdtemp(pattern);
    for (const auto& [node, descriptor] : {std::pair{"hidraw0", &kPlain}, {"hidraw1", &kNumbered}}) {
      std::filesystem::create_directories(folder / node / "device");
      std::ofstream(folder / node / "device" / "report_descriptor", std::ios::binary)
          .write(reinterpret_cast<const char*>(descriptor->data()),
                 static_cast<std::streamsize>(descriptor->size()));
    }
    return folder.string();
  }();
  return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const bool numbered = data[0] % 2 == 1;
  const std::size_t buffer_length = 2 + (data[1] | data[2] << 8) % 1024;
  fake_hidapi::Reset();
  fake_hidapi::Device& device = fake_hidapi::Add(numbered ? "/dev/hidraw1" : "/dev/hidraw0");
  for (std::size_t at = 3; at < size;) {
    const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
    device.input.emplace_back(data + at + 1, data + at + 1 + length);
    at += 1 + length;
  }
  const std::deque<std::vector<std::uint8_t>> delivered = device.input;

  kx12r::HidapiLibrary library(SysfsRoot(), fake_hidapi::Probe);
  FUZZ_CHECK(library.Connect());
  const kx12r::HidSnapshot present = library.Enumerate();
  FUZZ_CHECK(present.devices.size() == 1);
  const int handle = present.devices[0].handle;
  // One guard byte past the buffer shows a write beyond it.
  constexpr std::uint8_t kGuard = 0xA5;
  for (const std::vector<std::uint8_t>& sent : delivered) {
    std::vector<std::uint8_t> buffer(buffer_length + 1, kGuard);
    const bool got = library.Read(handle, std::span(buffer.data(), buffer_length));
    FUZZ_CHECK(buffer[buffer_length] == kGuard);
    FUZZ_CHECK(got == !sent.empty());
    if (!got) continue;
    const std::size_t skip = numbered ? 0 : 1;
    const std::size_t kept = std::min(sent.size(), buffer_length - skip);
    if (!numbered) FUZZ_CHECK(buffer[0] == 0);
    FUZZ_CHECK(std::equal(sent.begin(), sent.begin() + kept, buffer.begin() + skip));
    FUZZ_CHECK(std::all_of(buffer.begin() + skip + kept, buffer.begin() + buffer_length,
                           [](std::uint8_t byte) { return byte == 0; }));
  }
  return 0;
}
