#include "NumericText.h"

#include <QString>

namespace kx12r {

double LeadingNumber(QStringView text) {
  qsizetype pos = 0;
  while (pos < text.size() && text[pos].isSpace()) ++pos;
  const qsizetype start = pos;
  if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+')) ++pos;
  bool seen_point = false;
  while (pos < text.size() &&
         ((text[pos] >= u'0' && text[pos] <= u'9') || (!seen_point && text[pos] == u'.'))) {
    seen_point = seen_point || text[pos] == u'.';
    ++pos;
  }
  bool ok = false;
  const double value = text.mid(start, pos - start).toString().toDouble(&ok);
  return ok ? value : 0.0;
}

}  // namespace kx12r
