#pragma once

#include <QString>
#include <cstdint>

namespace kx12r {

// A card's 40-bit code as a reader writes it in a code format, by the format's number: RAW_HEX
// (0), 5x8b_DEC (1), 40b_DEC (2), 32b_DEC (3), 40bm_DEC (4), 40b_HEX (5), 32b_HEX (6), 24b_DEC
// (7), W26_DEC (8), W26c_DEC (9), 16b_DEC (10), W34_DEC (11), 32bm_DEC (12); any other number
// writes it as 40b_DEC.
QString FormatCardCode(std::uint64_t card, int code_format);

}  // namespace kx12r
