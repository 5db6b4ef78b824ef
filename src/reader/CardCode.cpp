// A card's code in each code format, as a reader types it.
#include "reader/CardCode.h"

namespace kx12r {
namespace {

constexpr std::uint64_t kCardMask = (std::uint64_t{1} << 40) - 1;

QString Decimal(std::uint64_t value, int digits) {
  return QStringLiteral("%1").arg(value, digits, 10, QLatin1Char('0'));
}

QString Hex(std::uint64_t value, int digits) {
  return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

std::uint64_t ReversedBits(std::uint64_t value, int bits) {
  std::uint64_t reversed = 0;
  for (int i = 0; i < bits; ++i) reversed |= ((value >> i) & 1) << (bits - 1 - i);
  return reversed;
}

std::uint32_t ReversedBytes(std::uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00) | ((value << 8) & 0xFF0000) | (value << 24);
}

}  // namespace

QString FormatCardCode(std::uint64_t card, int code_format) {
  card &= kCardMask;
  const auto low32 = static_cast<std::uint32_t>(card);
  const std::uint64_t facility = (card >> 16) & 0xFF;
  switch (code_format) {
    case 0:
    case 5:
      return Hex(card, 10);
    case 1: {
      QString text;
      for (int byte = 4; byte >= 0; --byte) text += Decimal((card >> (8 * byte)) & 0xFF, 3);
      return text;
    }
    case 3:
    case 11:
      return Decimal(low32, 10);
    case 4:
      return Decimal(ReversedBits(card, 40), 13);
    case 6:
      return Hex(low32, 8);
    case 7:
      return Decimal(card & 0xFFFFFF, 8);
    case 8:
      return Decimal(facility, 3) + Decimal(card & 0xFFFF, 5);
    case 9:
      return Decimal(facility, 3) + QStringLiteral(",") + Decimal(card & 0xFFFF, 5);
    case 10:
      return Decimal(card & 0xFFFF, 5);
    case 12:
      return Decimal(ReversedBytes(low32), 10);
    case 2:
    default:
      return Decimal(card, 13);
  }
}

}  // namespace kx12r
