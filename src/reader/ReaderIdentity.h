#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace kx12r {

// A KX12R presents itself with this vendor id and one of these product ids.
inline constexpr std::uint16_t kReaderVendorId = 0x04D8;
inline constexpr std::array<std::uint16_t, 4> kReaderProductIds = {0x0002, 0xF002, 0xF6F1, 0x00DF};

inline bool IsReaderIdentity(std::uint16_t vendor_id, std::uint16_t product_id) {
  return vendor_id == kReaderVendorId &&
         std::ranges::find(kReaderProductIds, product_id) != kReaderProductIds.end();
}

}  // namespace kx12r
