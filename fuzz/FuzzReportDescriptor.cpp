// A report descriptor as read from sysfs: parsing never reads past the bytes, a layout it gives
// has lengths a report can have (the report-number byte alone when items carry no bits), and
// the same bytes always give the same layout.
#include "FuzzTarget.h"
#include "reader/ReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const auto layout = kx12r::ParseReportDescriptor(bytes);
  if (!layout) return 0;
  for (int length : {layout->input_length, layout->output_length}) {
    FUZZ_CHECK(length >= 0 && length <= 0x10000);
  }
  const auto again = kx12r::ParseReportDescriptor(bytes);
  FUZZ_CHECK(again && again->input_length == layout->input_length &&
             again->output_length == layout->output_length &&
             again->uses_report_ids == layout->uses_report_ids);
  return 0;
}
