// The words and messages of a command's results on readers, and how they are printed.
#include "cli/ReaderResults.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "reader/DeviceReading.h"
#include "reader/Firmware.h"
#include "shown/ShownSettings.h"

namespace kx12r::cli {
namespace {

struct OutcomeText {
  const char* word;
  const char* message;  // the parameters follow it, quoted
};

// In the order of Outcome.
constexpr OutcomeText kOutcomeTexts[] = {
    {"written", "записан"},
    {"unconfirmed", "не подтверждено: "},
    {"refused", "прерван на параметре "},
    {"untouched", "не затронут"},
    {"not_configurable", "не может быть настроен"},
    {"no_access", "нет доступа"},
    {"silent", "не отвечает"},
    {"equal", "совпадает с файлом"},
    {"different", "отличается от файла: "},
    {"saved", "сохранен"},
    {"not_saved", "не сохранен"},
    {"identified", "индикация вызвана"},
    {"not_identified", "индикация не вызвана"},
};

// A word for every outcome, and none left over.
static_assert(std::size(kOutcomeTexts) == static_cast<std::size_t>(Outcome::kNotIdentified) + 1);

const OutcomeText& TextOf(Outcome outcome) { return kOutcomeTexts[static_cast<int>(outcome)]; }

bool IsComparison(Outcome outcome) {
  return outcome == Outcome::kEqual || outcome == Outcome::kDifferent;
}

}  // namespace

QString ReaderResult::Word() const { return QString::fromLatin1(TextOf(outcome).word); }

QString ReaderResult::Message() const {
  QStringList quoted;
  for (const SettingsKey parameter : parameters) {
    quoted << Quoted(CaptionOf(parameter));
  }
  return QString::fromUtf8(TextOf(outcome).message) + quoted.join(QStringLiteral(", "));
}

QJsonObject ReaderResult::Json() const {
  QJsonArray keys;
  for (const SettingsKey parameter : parameters) {
    keys.append(QLatin1String(SettingOf(parameter).json_key));
  }
  QJsonObject object{{"serial", serial},
                     {"firmware", firmware.Text()},
                     {"result", Word()},
                     {"parameter", keys.isEmpty() ? QJsonValue() : keys.first()},
                     {"message", Message()}};
  if (of_comparison) object["differing"] = IsComparison(outcome) ? QJsonValue(keys) : QJsonValue();
  for (auto it = values.begin(); it != values.end(); ++it) object[it.key()] = it.value();
  return object;
}

ReaderResult ResultFor(const ConnectedReader& reader, Outcome outcome,
                       std::vector<SettingsKey> parameters) {
  ReaderResult result{reader.identity.serial_number, reader.identity.firmware,
                      HexWord(reader.identity.product_id), outcome, std::move(parameters)};
  if (reader.Configurable()) result.before = reader.Values();
  return result;
}

QString OldReaderText(const QString& serial, const FirmwareVersion& firmware) {
  return QStringLiteral("Считыватель ") + Quoted(serial) +
         QStringLiteral(" не может быть настроен: версия ПО ") + firmware.Text() +
         QStringLiteral(", нужна ") + FirmwareVersion::FirstConfigurableText() +
         QStringLiteral(" или новее. ") + firmware.Warning();
}

void PrintTable(QTextStream& out, const std::vector<QStringList>& rows) {
  std::vector<int> widths;
  for (const QStringList& row : rows) {
    widths.resize(std::max<std::size_t>(widths.size(), row.size()));
    for (int col = 0; col < row.size(); ++col) {
      widths[col] = std::max(widths[col], static_cast<int>(row[col].size()));
    }
  }
  for (const QStringList& row : rows) {
    QString line;
    for (int col = 0; col < row.size(); ++col) {
      line += col + 1 < row.size() ? row[col].leftJustified(widths[col] + 2) : row[col];
    }
    while (line.endsWith(QLatin1Char(' '))) line.chop(1);
    out << line << Qt::endl;
  }
}

void PrintResults(QTextStream& out, const std::vector<ReaderResult>& results, bool json,
                  QJsonObject document) {
  if (json) {
    QJsonArray readers;
    for (const ReaderResult& result : results) readers.append(result.Json());
    document["readers"] = readers;
    out << QJsonDocument(document).toJson(QJsonDocument::Compact) << Qt::endl;
    return;
  }
  std::vector<QStringList> rows;
  for (const ReaderResult& result : results) rows.push_back({result.serial, result.Message()});
  PrintTable(out, rows);
}

}  // namespace kx12r::cli
