#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace kx12r {

// What a HID report descriptor says about the reports a device exchanges. Lengths count the
// report-number byte, as Windows reports them; a direction without reports has length 0.
struct ReportLayout {
  int input_length = 0;
  int output_length = 0;
  bool uses_report_ids = false;
};

// Empty when the descriptor is empty or malformed.
std::optional<ReportLayout> ParseReportDescriptor(std::span<const std::uint8_t> descriptor);

// Where a keyboard's input report keeps its state, in bits from the first byte after the
// report number (when the device numbers its reports) : the eight modifier bits (left Ctrl,
// Shift, Alt, GUI, then the right ones) and the array of key usages pressed.
struct KeyboardLayout {
  bool uses_report_ids = false;
  int report_id = 0;
  int modifier_bit = 0;  // -1: no modifiers
  int keys_bit = 16;
  int key_count = 6;
};

// The 8-byte layout every boot keyboard uses: modifiers, a reserved byte, six keys.
KeyboardLayout BootKeyboardLayout();

// The keyboard layout a descriptor declares; empty when it declares no key array or is
// malformed.
std::optional<KeyboardLayout> ParseKeyboardLayout(std::span<const std::uint8_t> descriptor);

}  // namespace kx12r
