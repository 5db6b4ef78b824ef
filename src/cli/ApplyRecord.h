#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

namespace kx12r::cli {

// The record of the readers an apply touched: one JSON line each, appended to a file that
// several stations (or units) may share.

// Appends `line` and its line feed in one write to the file opened for appending, so lines from
// several processes never mix; the system's reason when that failed, else empty.
QString AppendRecordLine(const QString& path, const QJsonObject& line);

// What a record file holds: the lines that are whole, and the numbers (from 1) of those that
// are not, which are left out.
struct RecordLines {
  std::vector<QJsonObject> lines;
  std::vector<int> damaged;
};
std::optional<RecordLines> ReadRecordLines(const QString& path, QString* why);

// The lines as CSV for a spreadsheet: a header row, then a row a reader, the values before and
// after in a column each.
QString RecordCsv(const std::vector<QJsonObject>& lines);

}  // namespace kx12r::cli
