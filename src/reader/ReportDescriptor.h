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

}  // namespace kx12r
