// Numbers read from text as the system reads them: leading numbers, whole numbers, bytes.
#include "base/NumericText.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace kx12r {

namespace {

// The number that starts at `start`: an optional sign, digits with an optional decimal point.
double NumberFrom(QStringView text, qsizetype start) {
  qsizetype pos = start;
  if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+')) ++pos;
  bool seen_point = false;
  while (pos < text.size() &&
         ((text[pos] >= u'0' && text[pos] <= u'9') || (!seen_point && text[pos] == u'.'))) {
    seen_point = seen_point || text[pos] == u'.';
    ++pos;
  }
  // strtod reads any length: a number too large for a double is infinite, never 0.
  const std::string digits = text.mid(start, pos - start).toString().toStdString();
  char* end = nullptr;
  const double value = std::strtod(digits.c_str(), &end);
  return end == digits.c_str() ? 0.0 : value;
}

}  // namespace

QString HexWord(std::uint16_t value) {
  return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

double LeadingNumber(QStringView text) {
  qsizetype pos = 0;
  while (pos < text.size() && text[pos].isSpace()) ++pos;
  return NumberFrom(text, pos);
}

int ClampedInt(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLowest = std::numeric_limits<int>::min();
  constexpr double kHighest = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(std::nearbyint(value), kLowest, kHighest));
}

double NumberOfValue(QStringView text) {
  QString packed;
  packed.reserve(text.size());
  for (QChar c : text) {
    if (c != u' ' && c != u'\t' && c != u'\n') packed.append(c);
  }
  // Only those three are skipped: a carriage return or another space ends the number.
  return NumberFrom(packed, 0);
}

std::optional<std::int16_t> IntegerOfValue(QStringView text) {
  const double rounded = std::nearbyint(NumberOfValue(text));
  if (rounded < std::numeric_limits<std::int16_t>::min() ||
      rounded > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(rounded);
}

}  // namespace kx12r
