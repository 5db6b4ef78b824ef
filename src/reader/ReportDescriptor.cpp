// Report lengths and numbering read from a HID report descriptor.
#include "reader/ReportDescriptor.h"

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace kx12r {
namespace {

enum ItemType { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag { kInput = 8, kOutput = 9 };
enum GlobalTag {
  kUsagePage = 0,
  kReportSize = 7,
  kReportId = 8,
  kReportCount = 9,
  kPush = 10,
  kPop = 11,
};
enum LocalTag { kUsage = 0, kUsageMinimum = 1, kUsageMaximum = 2 };
constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::uint32_t kConstantFlag = 0x01;
constexpr std::uint32_t kVariableFlag = 0x02;
constexpr std::uint32_t kKeyboardPage = 0x07;
constexpr std::uint32_t kFirstModifier = 0xE0;
constexpr std::uint32_t kLastModifier = 0xE7;

struct Globals {
  std::uint32_t usage_page = 0;
  std::uint32_t report_size = 0;
  std::uint32_t report_count = 0;
  std::uint32_t report_id = 0;
  bool uses_report_ids = false;
};

struct Locals {
  std::uint32_t usage_minimum = 0;
  std::uint32_t usage_maximum = 0;
};

// One Input or Output item with the state it was declared in.
struct MainItem {
  int tag;
  std::uint32_t flags;
  const Globals& globals;
  const Locals& locals;
};

// Walks the items of a descriptor; false when it is empty or malformed (an item cut short, a
// Pop without Push).
bool WalkMainItems(std::span<const std::uint8_t> descriptor,
                   const std::function<void(const MainItem&)>& on_item) {
  if (descriptor.empty()) return false;
  Globals globals;
  Locals locals;
  std::vector<Globals> stack;
  std::size_t pos = 0;
  while (pos < descriptor.size()) {
    const std::uint8_t prefix = descriptor[pos];
    if (prefix == kLongItemPrefix) {
      // A long item: prefix, data size, tag, then its data, all of which must be there.
      if (pos + 2 >= descriptor.size()) return false;
      const std::size_t end = pos + 3 + descriptor[pos + 1];
      if (end > descriptor.size()) return false;
      pos = end;
      continue;
    }
    const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
    if (pos + 1 + size > descriptor.size()) return false;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
      value |= std::uint32_t{descriptor[pos + 1 + i]} << (8 * i);
    }
    const int type = (prefix >> 2) & 3;
    const int tag = prefix >> 4;
    pos += 1 + size;

    if (type == kMain) {
      if (tag == kInput || tag == kOutput) on_item({tag, value, globals, locals});
      locals = {};
    } else if (type == kGlobal) {
      switch (tag) {
        case kUsagePage:
          globals.usage_page = value;
          break;
        case kReportSize:
          globals.report_size = value;
          break;
        case kReportCount:
          globals.report_count = value;
          break;
        case kReportId:
          globals.report_id = value;
          globals.uses_report_ids = true;
          break;
        case kPush:
          stack.push_back(globals);
          break;
        case kPop:
          if (stack.empty()) return false;
          globals = stack.back();
          stack.pop_back();
          break;
        default:
          break;
      }
    } else if (type == kLocal) {
      if (tag == kUsageMinimum) locals.usage_minimum = value;
      if (tag == kUsageMaximum) locals.usage_maximum = value;
    }
  }
  return true;
}

int LongestReport(const std::map<std::uint32_t, std::uint64_t>& bits_by_id) {
  if (bits_by_id.empty()) return 0;
  std::uint64_t longest = 0;
  for (const auto& [id, bits] : bits_by_id) longest = std::max(longest, bits);
  return static_cast<int>(std::min<std::uint64_t>((longest + 7) / 8, 0xFFFF)) + 1;
}

}  // namespace

std::optional<ReportLayout> ParseReportDescriptor(std::span<const std::uint8_t> descriptor) {
  std::map<std::uint32_t, std::uint64_t> input_bits, output_bits;
  ReportLayout layout;
  const bool readable = WalkMainItems(descriptor, [&](const MainItem& item) {
    auto& bits = item.tag == kInput ? input_bits : output_bits;
    bits[item.globals.report_id] +=
        std::uint64_t{item.globals.report_size} * item.globals.report_count;
    layout.uses_report_ids = layout.uses_report_ids || item.globals.uses_report_ids;
  });
  if (!readable) return std::nullopt;
  layout.input_length = LongestReport(input_bits);
  layout.output_length = LongestReport(output_bits);
  return layout;
}

KeyboardLayout BootKeyboardLayout() { return {}; }

std::optional<KeyboardLayout> ParseKeyboardLayout(std::span<const std::uint8_t> descriptor) {
  KeyboardLayout layout{.modifier_bit = -1, .keys_bit = -1, .key_count = 0};
  std::map<std::uint32_t, std::uint64_t> offsets;  // bits so far in each input report
  const bool readable = WalkMainItems(descriptor, [&](const MainItem& item) {
    if (item.tag != kInput) return;
    const Globals& g = item.globals;
    std::uint64_t& offset = offsets[g.report_id];
    // Padding (a constant item) only takes its place in the report.
    const bool keyboard = g.usage_page == kKeyboardPage && !(item.flags & kConstantFlag);
    if (keyboard && (item.flags & kVariableFlag) && g.report_size == 1 &&
        item.locals.usage_minimum == kFirstModifier && item.locals.usage_maximum == kLastModifier &&
        layout.modifier_bit < 0) {
      layout.modifier_bit = static_cast<int>(offset);
      layout.report_id = static_cast<int>(g.report_id);
    } else if (keyboard && !(item.flags & kVariableFlag) && g.report_size == 8 &&
               layout.keys_bit < 0) {
      layout.keys_bit = static_cast<int>(offset);
      layout.key_count = static_cast<int>(std::min<std::uint32_t>(g.report_count, 64));
      layout.report_id = static_cast<int>(g.report_id);
    }
    offset += std::uint64_t{g.report_size} * g.report_count;
    layout.uses_report_ids = layout.uses_report_ids || g.uses_report_ids;
  });
  if (!readable || layout.keys_bit < 0 || layout.keys_bit > 0xFFFF) return std::nullopt;
  if (layout.modifier_bit > 0xFFFF) layout.modifier_bit = -1;
  return layout;
}

}  // namespace kx12r
