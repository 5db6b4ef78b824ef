// The record of the readers an apply touched, written and read back.
#include "cli/ApplyRecord.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QJsonDocument>
#include <QStringList>
#include <cerrno>

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
  const int fd =
      open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return qt_error_string(errno);
  const ssize_t written = write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
  const int error = written < 0 ? errno : (written < bytes.size() ? ENOSPC : 0);
  if (close(fd) != 0 && error == 0) return qt_error_string(errno);
  return error == 0 ? QString() : qt_error_string(error);
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
