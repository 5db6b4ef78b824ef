#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kx12r {

// A report as readers exchange them: byte 0 = 0, byte 1 = code, then the text, spaces to the
// end.
inline std::vector<std::uint8_t> ReaderReport(std::uint8_t code, std::string_view text,
                                              std::size_t length) {
  std::vector<std::uint8_t> report(length, ' ');
  report[0] = 0;
  report[1] = code;
  std::copy(text.begin(), text.end(), report.begin() + 2);
  return report;
}

}  // namespace kx12r
