#pragma once

#include <QStringView>

namespace kx12r {

// The number a text starts with: blanks skipped, an optional sign, digits with an optional
// decimal point; reading stops at the first other character. A text without one reads as 0.
double LeadingNumber(QStringView text);

}  // namespace kx12r
