#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace kx12r {

// The number a text starts with: blanks skipped, an optional sign, digits with an optional
// decimal point; reading stops at the first other character. A text without one reads as 0.
double LeadingNumber(QStringView text);

// A number rounded to the nearest integer (halves to even) and held within the range of int, so a
// reply of any length never overflows the conversion.
int ClampedInt(double value);

// LeadingNumber rounded and held within the range of int.
inline int LeadingInteger(QStringView text) { return ClampedInt(LeadingNumber(text)); }

// Four upper-case hexadecimal digits: "04D8" for 0x4D8.
QString HexWord(std::uint16_t value);

// The number a typed or stored value begins with, as settings files and the table editors read
// it: blanks, tabs and line feeds anywhere in it are skipped, then an optional sign, digits and
// one decimal point are read; 0 when it does not begin with a number.
double NumberOfValue(QStringView text);

// NumberOfValue rounded to the nearest integer (halves to even); nothing when that lies outside
// -32768..32767, so a number never wraps into another.
std::optional<std::int16_t> IntegerOfValue(QStringView text);

}  // namespace kx12r
