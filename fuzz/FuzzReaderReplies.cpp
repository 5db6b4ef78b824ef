// A device that answers every read with the fuzzer's bytes, with report lengths of its choice
// (two bytes each, little-endian): the queries, the commands and the reading of a whole reader
// never read or write past a report, a command fails only where the reader put its refusal
// mark, and a query's text never keeps a space.
#include <algorithm>
#include <cstring>

#include "FuzzTarget.h"
#include "OneDeviceHid.h"
#include "reader/DeviceReading.h"
#include "reader/ReportExchange.h"

namespace {

using namespace kx12r;

class FuzzedDevice : public OneDeviceHid {
 public:
  FuzzedDevice(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {
    product_id = 0x00DF;
    serial_number = "00417";
    product_name = "KX12R";
    vendor_name = "Salvion";
    // Up to a high-speed device's 1024 data bytes and the report number.
    input_length = TakeLength();
    output_length = TakeLength();
  }

  bool Write(int, std::span<const std::uint8_t> report) override {
    FUZZ_CHECK(static_cast<int>(report.size()) == output_length);
    last_written_.assign(report.begin(), report.end());
    return Take() % 8 != 0;  // now and then the device is gone
  }
  bool Read(int, std::span<std::uint8_t> report) override {
    FUZZ_CHECK(static_cast<int>(report.size()) == input_length);
    if (Take() % 8 == 0) return false;  // and now and then it is silent
    for (std::uint8_t& byte : report) byte = Take();
    last_read_.assign(report.begin(), report.end());
    return true;
  }
  std::vector<std::uint8_t> last_written_;
  std::vector<std::uint8_t> last_read_;

 private:
  std::uint8_t Take() { return position_ < size_ ? data_[position_++] : 0; }
  int TakeLength() {
    const int low = Take();
    return (low | Take() << 8) % 1026;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDevice device(data, size);
  for (std::uint8_t code : {'v', 'z', 'a', 'r', 'p', 'c', 's', 'e'}) {
    const QueryReply reply = AskReader(device, 1, code);
    FUZZ_CHECK(!reply.text.value_or(QString()).contains(QLatin1Char(' ')));
    FUZZ_CHECK(!reply.refused || reply.text == QString());
  }
  for (const char* text : {"8", "#K", "12", "\r", "Z", " ", "123C9", ""}) {
    device.last_read_.clear();
    const bool accepted = SendTextCommand(device, 1, 'P', QString::fromLatin1(text));
    if (accepted || device.last_read_.empty()) continue;
    // Refused: somewhere the reply carries the mark where it differs from what was sent.
    bool marked = false;
    const std::size_t compared = std::min(device.last_read_.size(), device.last_written_.size());
    for (std::size_t k = 1; k < compared; ++k) {
      marked = marked || (device.last_read_[k] == kRefusalMark &&
                          device.last_read_[k] != device.last_written_[k]);
    }
    FUZZ_CHECK(marked);
  }
  const ConnectedReader reader = ReadConnectedReader(device, device.Enumerate().devices.at(0));
  FUZZ_CHECK(reader.Configurable() == (reader.Values().variant >= 1));
  return 0;
}
