// The record of the readers an apply touched, written and read back.
#include "cli/ApplyRecord.h"

#include <QFile>
#include <QJsonDocument>
#include <QStringList>

#include "base/CsvField.h"
#include "reader/ReaderSettings.h"

namespace kx12r::cli {
namespace {

constexpr const char* kColumns[] = {"time",       "host",      "user",     "serial",
                                    "product_id", "firmware",  "file",     "sha256",
                                    "result",     "parameter", "read_back"};

// A value as a cell: text as it is, a code format or ending by its number, a flag as 1 or 0.
QString Cell(const QJsonValue& value) {
  if (value.isBool()) return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
  if (value.isDouble()) return QString::number(value.toDouble(), 'g', 15);
  if (value.isString()) return value.toString();
  if (value.isObject()) {
    const QJsonObject object = value.toObject();
    return Cell(object.contains(QStringLiteral("number")) ? object[QStringLiteral("number")]
                                                          : object[QStringLiteral("code")]);
  }
  return QString();
}

}  // namespace

QString AppendRecordLine(const QString& path, const QJsonObject& line) {
  const QByteArray bytes = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
  // Each line in one unbuffered write to a file opened for appending: lines of readers set at
  // the same time never mix.
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered) ||
      file.write(bytes) != bytes.size()) {
    return file.errorString();
  }
  file.close();
  return file.error() == QFileDevice::NoError ? QString() : file.errorString();
}

std::optional<RecordLines> ReadRecordLines(const QString& path, QString* why) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *why = file.errorString();
    return std::nullopt;
  }
  RecordLines record;
  int number = 0;
  while (!file.atEnd()) {
    const QByteArray text = file.readLine().trimmed();
    ++number;
    if (text.isEmpty()) continue;
    const QJsonDocument line = QJsonDocument::fromJson(text);
    if (line.isObject()) {
      record.lines.push_back(line.object());
    } else {
      record.damaged.push_back(number);
    }
  }
  return record;
}

QString RecordCsv(const std::vector<QJsonObject>& lines) {
  QStringList header;
  for (const char* column : kColumns) header << QLatin1String(column);
  for (const char* when : {"before", "after"}) {
    for (const SettingDescriptor& setting : kSettings) {
      header << QLatin1String(when) + QLatin1Char('.') + QLatin1String(setting.json_key);
    }
  }
  QString csv = header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
  for (const QJsonObject& line : lines) {
    QStringList row;
    for (const char* column : kColumns) row << CsvField(Cell(line[QLatin1String(column)]));
    for (const char* when : {"before", "after"}) {
      const QJsonObject values = line[QLatin1String(when)].toObject();
      for (const SettingDescriptor& setting : kSettings) {
        row << CsvField(Cell(values[QLatin1String(setting.json_key)]));
      }
    }
    csv += row.join(QLatin1Char(',')) + QStringLiteral("\r\n");
  }
  return csv;
}

}  // namespace kx12r::cli
