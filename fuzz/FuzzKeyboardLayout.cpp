// A keyboard interface's report descriptor as read from sysfs: the layout it gives (or the boot
// layout a reader falls back to) keeps its fields where a report can hold them, the same bytes
// give the same layout, and reports of any length shorter or longer than the layout are decoded
// without reading past them.
#include <vector>

#include "FuzzTarget.h"
#include "reader/KeyboardText.h"
#include "reader/ReportDescriptor.h"

namespace {

void DecodeEveryLength(const kx12r::KeyboardLayout& layout, std::span<const std::uint8_t> bytes) {
  const std::size_t longest = static_cast<std::size_t>(layout.keys_bit) / 8 +
                              static_cast<std::size_t>(layout.key_count) + 2;
  kx12r::KeyboardDecoder decoder(layout);
  for (std::size_t length = 0; length <= longest; ++length) {
    std::vector<std::uint8_t> report(length);
    for (std::size_t i = 0; i < length; ++i) report[i] = bytes.empty() ? 0 : bytes[i % bytes.size()];
    FUZZ_CHECK(decoder.Feed(report).size() <= static_cast<std::size_t>(layout.key_count));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const auto layout = kx12r::ParseKeyboardLayout(bytes);
  if (layout) {
    FUZZ_CHECK(layout->keys_bit >= 0 && layout->keys_bit <= 0xFFFF);
    FUZZ_CHECK(layout->modifier_bit >= -1 && layout->modifier_bit <= 0xFFFF);
    FUZZ_CHECK(layout->key_count >= 0 && layout->key_count <= 64);
    const auto again = kx12r::ParseKeyboardLayout(bytes);
    FUZZ_CHECK(again && again->keys_bit == layout->keys_bit &&
               again->modifier_bit == layout->modifier_bit &&
               again->key_count == layout->key_count && again->report_id == layout->report_id &&
               again->uses_report_ids == layout->uses_report_ids);
  }
  DecodeEveryLength(layout.value_or(kx12r::BootKeyboardLayout()), bytes);
  return 0;
}
