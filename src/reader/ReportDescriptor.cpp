#include "ReportDescriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace kx12r {
namespace {

enum ItemType { kMain = 0, kGlobal = 1 };
enum MainTag { kInput = 8, kOutput = 9 };
enum GlobalTag { kReportSize = 7, kReportId = 8, kReportCount = 9, kPush = 10, kPop = 11 };
constexpr std::uint8_t kLongItemPrefix = 0xFE;

struct Globals {
  std::uint32_t report_size = 0;
  std::uint32_t report_count = 0;
  std::uint32_t report_id = 0;
};

int LongestReport(const std::map<std::uint32_t, std::uint64_t>& bits_by_id) {
  if (bits_by_id.empty()) return 0;
  std::uint64_t longest = 0;
  for (const auto& [id, bits] : bits_by_id) longest = std::max(longest, bits);
  return static_cast<int>(std::min<std::uint64_t>((longest + 7) / 8, 0xFFFF)) + 1;
}

}  // namespace

std::optional<ReportLayout> ParseReportDescriptor(std::span<const std::uint8_t> descriptor) {
  if (descriptor.empty()) return std::nullopt;
  Globals globals;
  std::vector<Globals> stack;
  std::map<std::uint32_t, std::uint64_t> input_bits, output_bits;
  ReportLayout layout;

  std::size_t pos = 0;
  while (pos < descriptor.size()) {
    const std::uint8_t prefix = descriptor[pos];
    if (prefix == kLongItemPrefix) {
      // A long item: prefix, data size, tag, then its data, all of which must be there.
      if (pos + 2 >= descriptor.size()) return std::nullopt;
      const std::size_t end = pos + 3 + descriptor[pos + 1];
      if (end > descriptor.size()) return std::nullopt;
      pos = end;
      continue;
    }
    const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
    if (pos + 1 + size > descriptor.size()) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
      value |= std::uint32_t{descriptor[pos + 1 + i]} << (8 * i);
    const int type = (prefix >> 2) & 3;
    const int tag = prefix >> 4;
    pos += 1 + size;

    if (type == kMain && (tag == kInput || tag == kOutput)) {
      auto& bits = tag == kInput ? input_bits : output_bits;
      bits[globals.report_id] += std::uint64_t{globals.report_size} * globals.report_count;
    } else if (type == kGlobal) {
      switch (tag) {
        case kReportSize:
          globals.report_size = value;
          break;
        case kReportCount:
          globals.report_count = value;
          break;
        case kReportId:
          globals.report_id = value;
          layout.uses_report_ids = true;
          break;
        case kPush:
          stack.push_back(globals);
          break;
        case kPop:
          if (stack.empty()) return std::nullopt;
          globals = stack.back();
          stack.pop_back();
          break;
        default:
          break;
      }
    }
  }
  layout.input_length = LongestReport(input_bits);
  layout.output_length = LongestReport(output_bits);
  return layout;
}

}  // namespace kx12r
