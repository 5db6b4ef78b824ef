#pragma once

#include <QString>

namespace kx12r {

// A text as one CSV field: always quoted, its quotes doubled, so commas and line breaks stay in.
inline QString CsvField(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace kx12r
