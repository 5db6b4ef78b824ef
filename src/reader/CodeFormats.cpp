// The code formats of the shipped database, and a typed code read back to its card.
#include "reader/CodeFormats.h"

#include "base/MessageBox.h"

namespace kx12r {
namespace {

constexpr CodeDigits kDec(int count, int bits) { return {count, 10, bits}; }
constexpr CodeDigits kHex(int count, int bits) { return {count, 16, bits}; }
constexpr CodeDigits kByte = kDec(3, 8);

constexpr std::array<CodeFormat, 13> kCodeFormats = {{
    {0, "RAW_HEX", 40, CardBitOrder::kPlain, {kHex(10, 40)}, 1, false},
    {1, "5x8b_DEC", 40, CardBitOrder::kPlain, {kByte, kByte, kByte, kByte, kByte}, 5, false},
    {2, "40b_DEC", 40, CardBitOrder::kPlain, {kDec(13, 40)}, 1, false},
    {3, "32b_DEC", 32, CardBitOrder::kPlain, {kDec(10, 32)}, 1, false},
    {4, "40bm_DEC", 40, CardBitOrder::kBitsReversed, {kDec(13, 40)}, 1, false},
    {5, "40b_HEX", 40, CardBitOrder::kPlain, {kHex(10, 40)}, 1, false},
    {6, "32b_HEX", 32, CardBitOrder::kPlain, {kHex(8, 32)}, 1, false},
    {7, "24b_DEC", 24, CardBitOrder::kPlain, {kDec(8, 24)}, 1, false},
    {8, "W26_DEC", 24, CardBitOrder::kPlain, {kByte, kDec(5, 16)}, 2, false},
    {9, "W26c_DEC", 24, CardBitOrder::kPlain, {kByte, kDec(5, 16)}, 2, true},
    {10, "16b_DEC", 16, CardBitOrder::kPlain, {kDec(5, 16)}, 1, false},
    {11, "W34_DEC", 32, CardBitOrder::kPlain, {kDec(10, 32)}, 1, false},
    {12, "32bm_DEC", 32, CardBitOrder::kBytesReversed, {kDec(10, 32)}, 1, false},
}};

std::uint64_t Largest(int bits) { return (std::uint64_t{1} << bits) - 1; }

// Both orders are their own inverse: reading a code back applies the same reversal.
std::uint64_t Reordered(std::uint64_t value, const CodeFormat& format) {
  std::uint64_t reordered = 0;
  switch (format.order) {
    case CardBitOrder::kPlain:
      return value;
    case CardBitOrder::kBitsReversed:
      for (int i = 0; i < format.bits; ++i) {
        reordered |= ((value >> i) & 1) << (format.bits - 1 - i);
      }
      return reordered;
    case CardBitOrder::kBytesReversed:
      for (int i = 0; i < 4; ++i) reordered |= ((value >> (8 * i)) & 0xFF) << (8 * (3 - i));
      return reordered;
  }
  return value;
}

// The digit's value in the base; -1 for a character that is none. A reader types A to F in
// capitals only: a small letter is a Caps Lock's doing.
int DigitValue(QChar c, int base) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (base == 16 && u >= u'A' && u <= u'F') return u - u'A' + 10;
  return -1;
}

QString Digits(int count, int base) {
  return base == 16 ? CountOf(count, "шестнадцатеричная цифра", "шестнадцатеричные цифры",
                              "шестнадцатеричных цифр")
                    : CountOf(count, "десятичная цифра", "десятичные цифры", "десятичных цифр");
}

}  // namespace

int CodeFormat::Length() const {
  int length = comma ? run_count - 1 : 0;
  for (int i = 0; i < run_count; ++i) length += runs[i].count;
  return length;
}

const CodeFormat* FindCodeFormat(int id) {
  for (const CodeFormat& format : kCodeFormats) {
    if (format.id == id) return &format;
  }
  return nullptr;
}

QString CountOf(int count, const char* one, const char* few, const char* many) {
  const int tens = count % 100;
  const int units = count % 10;
  const char* noun = (tens >= 11 && tens <= 14)   ? many
                     : units == 1                 ? one
                     : (units >= 2 && units <= 4) ? few
                                                  : many;
  return QString::number(count) + QLatin1Char(' ') + QString::fromUtf8(noun);
}

CodeCheck CheckCode(const QString& code, const CodeFormat& format) {
  if (code.size() != format.Length()) {
    const QString counted = format.comma ? CountOf(int(code.size()), "знак", "знака", "знаков")
                                         : CountOf(int(code.size()), "цифра", "цифры", "цифр");
    return {std::nullopt, counted + QStringLiteral(" вместо ") + QString::number(format.Length())};
  }
  std::uint64_t value = 0;
  qsizetype at = 0;
  for (int i = 0; i < format.run_count; ++i) {
    if (i > 0 && format.comma) {
      if (code[at] != QLatin1Char(',')) {
        return {std::nullopt, Quoted(code[at]) + QStringLiteral(" вместо запятой")};
      }
      ++at;
    }
    const CodeDigits& run = format.runs[i];
    std::uint64_t run_value = 0;
    for (int k = 0; k < run.count; ++k) {
      const int digit = DigitValue(code[at + k], run.base);
      if (digit < 0) {
        return {std::nullopt, Quoted(code[at + k]) +
                                  (run.base == 16 ? QStringLiteral(" не шестнадцатеричная цифра")
                                                  : QStringLiteral(" не десятичная цифра"))};
      }
      run_value = run_value * run.base + digit;
    }
    if (run_value > Largest(run.bits)) {
      return {std::nullopt, Quoted(code.mid(at, run.count)) + QStringLiteral(" больше ") +
                                QString::number(Largest(run.bits))};
    }
    value = (value << run.bits) | run_value;
    at += run.count;
  }
  return {DecodedCard{Reordered(value, format), format.bits}, QString()};
}

QString DescribeCodeFormat(const CodeFormat& format) {
  QString digits;
  if (format.comma) {
    for (int i = 0; i < format.run_count; ++i) {
      if (i > 0) digits += QStringLiteral(", запятая, ");
      digits += Digits(format.runs[i].count, format.runs[i].base);
    }
  } else {
    digits = Digits(format.Length(), format.runs[0].base);
  }
  return digits + QStringLiteral(" (") + QString::fromLatin1(format.name) + QStringLiteral(")");
}

QString DecodedCard::Notations() const {
  QString text = QStringLiteral("десятичное ") + QString::number(number) +
                 QStringLiteral(", шестнадцатеричное ") +
                 QStringLiteral("%1").arg(number, bits / 4, 16, QLatin1Char('0')).toUpper();
  if (bits >= 24) {
    text += QStringLiteral(", серия ") + QString::number((number >> 16) & 0xFF) +
            QStringLiteral(", номер ") + QString::number(number & 0xFFFF);
  }
  return text;
}

}  // namespace kx12r
