#pragma once

#include <QStringView>

namespace kx12r {

// The number a text starts with: blanks skipped, an optional sign, digits with an optional
// decimal point; reading stops at the first other character. A text without one reads as 0.
double LeadingNumber(QStringView text);

// A number rounded to the nearest integer (halves to even) and held within the range of int, so a reply of
// any length never overflows the conversion.
int ClampedInt(double value);

// LeadingNumber rounded and held within the range of int.
inline int LeadingInteger(QStringView text) { return ClampedInt(LeadingNumber(text)); }

}  // namespace kx12r
