#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace kx12r {

// How a code format lays the card's bits into the digits it types.
enum class CardBitOrder {
  kPlain,
  kBitsReversed,   // 40bm_DEC: the 40 bits in reverse order
  kBytesReversed,  // 32bm_DEC: the four low bytes in reverse order
};

// One run of digits in a typed code: how many, in which base, and how many of the card's bits it
// carries (so the largest value it may hold).
struct CodeDigits {
  int count;
  int base;  // 10 or 16
  int bits;
};

// What a reader types for a code format of the shipped database: runs of digits, a comma between
// them where the format has one, carrying the card's `bits` low bits.
struct CodeFormat {
  int id;
  const char* name;
  int bits;
  CardBitOrder order;
  std::array<CodeDigits, 5> runs;
  int run_count;
  bool comma;  // the Wiegand comma between the runs

  // The characters the code has, commas included.
  int Length() const;
};

// The code format of this number; nothing for a number the program does not know (a row a user
// added to the database).
const CodeFormat* FindCodeFormat(int id);

// The card's number a code carries: its low `bits` bits.
struct DecodedCard {
  std::uint64_t number;
  int bits;  // 40, 32, 24 or 16

  // The number in the notations a technician meets: decimal, hexadecimal, and the Wiegand series
  // and number where the code carries them.
  QString Notations() const;
};

// A typed code read back: the card, or what is wrong with the code.
struct CodeCheck {
  std::optional<DecodedCard> card;
  QString fault;  // "9 цифр вместо 10", "«Ф» не шестнадцатеричная цифра"; empty when valid
};
CodeCheck CheckCode(const QString& code, const CodeFormat& format);

// What the format types, in words: "10 шестнадцатеричных цифр (RAW_HEX)".
QString DescribeCodeFormat(const CodeFormat& format);

// A count with its noun in the right form: 1 цифра, 3 цифры, 10 цифр.
QString CountOf(int count, const char* one, const char* few, const char* many);

}  // namespace kx12r
