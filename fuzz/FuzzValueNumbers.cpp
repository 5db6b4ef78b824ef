// The number reading that settings files and the table editors share: a value whose leading
// number has a non-zero digit before its point never reads as 0 (as a number too long for a
// double once did; a fraction may be too small for one), and the 16-bit integer is that number
// rounded, or nothing outside the range, never wrapped.
#include <QString>
#include <cmath>

#include "FuzzTarget.h"
#include "base/NumericText.h"

namespace {

// Whether the number the value begins with, blanks, tabs and line feeds skipped (and no other
// space: a carriage return ends it), has a digit other than 0 before its decimal point.
bool LeadsWithNonZeroDigit(const QString& value) {
  QString packed;
  for (QChar c : value) {
    if (c != u' ' && c != u'\t' && c != u'\n') packed.append(c);
  }
  qsizetype pos = 0;
  if (pos < packed.size() && (packed[pos] == u'+' || packed[pos] == u'-')) ++pos;
  for (; pos < packed.size(); ++pos) {
    const QChar c = packed[pos];
    if (c < u'0' || c > u'9') break;
    if (c != u'0') return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString value =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const double number = kx12r::NumberOfValue(value);
  FUZZ_CHECK(!std::isnan(number));
  if (LeadsWithNonZeroDigit(value)) FUZZ_CHECK(number != 0);
  const std::optional<std::int16_t> integer = kx12r::IntegerOfValue(value);
  const double rounded = std::nearbyint(number);
  if (integer) {
    FUZZ_CHECK(*integer == rounded);
  } else {
    FUZZ_CHECK(rounded < -32768 || rounded > 32767);
  }
  const int clamped = kx12r::LeadingInteger(value);
  FUZZ_CHECK(clamped == kx12r::ClampedInt(kx12r::LeadingNumber(value)));
  return 0;
}
