// The verbs on settings files: check, apply (to chosen readers or as a station) and compare.
#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>

#include "base/MessageBox.h"
#include "cli/ApplyRecord.h"
#include "cli/Commands.h"
#include "cli/Provisioning.h"
#include "cli/StopOnSignals.h"
#include "db/ServiceLookups.h"
#include "files/SettingsApply.h"
#include "reader/CardRead.h"
#include "shown/ReaderMessages.h"
#include "shown/ShownSettings.h"

namespace kx12r::cli {

std::optional<ValidatedSettings> Commands::ReadFile(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  if (!QFileInfo(path).exists()) {
    env_.err << QStringLiteral("Файл ") << Quoted(path) << QStringLiteral(" не существует.")
             << Qt::endl;
    return std::nullopt;
  }
  // A folder is named by its path and the cause, as any other file that cannot be read.
  if (!QFileInfo(path).isFile()) {
    env_.err << QStringLiteral("Файл ") << Quoted(path)
             << QStringLiteral(" не может быть прочитан: ")
             << UnreadableFileCause(UnreadableFile::kNotRegular) << QStringLiteral(".") << Qt::endl;
    return std::nullopt;
  }
  if (!HasSettingsExtension(name)) {
    env_.err << QStringLiteral("Файл ") + Quoted(name) +
                    QStringLiteral(
                        " не содержит параметров настроек. Операция не может быть "
                        "выполнена.")
             << Qt::endl;
    return std::nullopt;
  }
  UnreadableFile why{};
  const std::optional<QStringList> lines = ReadSettingsLines(path, &why);
  if (!lines) {
    env_.err << QStringLiteral("Файл ") << Quoted(path)
             << QStringLiteral(" не может быть прочитан: ") << UnreadableFileCause(why)
             << QStringLiteral(".") << Qt::endl;
    return std::nullopt;
  }
  return ValidateSettings(*lines, Names());
}

QString Commands::UnreadableFileCause(UnreadableFile why) {
  switch (why) {
    case UnreadableFile::kNoPermission:
      return QStringLiteral("нет прав на чтение");
    case UnreadableFile::kNotRegular:
      return QStringLiteral("не является обычным файлом");
    case UnreadableFile::kTooLarge:
      return QStringLiteral("слишком велик для файла настроек (больше 64 КБ)");
    case UnreadableFile::kReadFailed:
      break;
  }
  return QStringLiteral("ошибка чтения");
}

bool Commands::ReferenceRowsMissing() {
  const QString missing = MissingReferenceRows(*database_);
  if (!missing.isEmpty()) env_.err << missing << Qt::endl;
  return !missing.isEmpty();
}

int Commands::DatabaseFault() {
  env_.err << QStringLiteral("Служебная база данных ") << Quoted(env_.database_path)
           << QStringLiteral(" не может быть прочитана.") << Qt::endl;
  return kDatabase;
}

std::optional<std::vector<AppliedParameter>> Commands::FileParameters(const QString& path) {
  const std::optional<ValidatedSettings> settings = ReadFile(path);
  if (!settings) return std::nullopt;
  if (settings->HasInvalidValues()) {
    env_.err << InvalidValuesText() << Qt::endl;
    return std::nullopt;
  }
  return ParametersToApply(*settings);
}

std::optional<ConnectedReader> Commands::Chosen() {
  const Choice choice = ChooseReader(ListReaders(env_.hid, Clock()), options_.serial);
  if (!choice.reader) env_.err << choice.error << Qt::endl;
  return choice.reader;
}

std::optional<std::vector<ConnectedReader>> Commands::ChosenReaders() {
  if (!options_.all) {
    const std::optional<ConnectedReader> reader = Chosen();
    if (!reader) return std::nullopt;
    return std::vector<ConnectedReader>{*reader};
  }
  std::vector<ConnectedReader> readers = ListReaders(env_.hid, Clock());
  if (readers.empty()) {
    env_.err << kNoDevices << Qt::endl;
    return std::nullopt;
  }
  return readers;
}

void Commands::Print(const std::vector<ReaderResult>& results, QJsonObject document) {
  PrintResults(env_.out, results, options_.json, std::move(document));
  for (const ReaderResult& result : results) TellWhyNotConfigured(result);
}

void Commands::TellWhyNotConfigured(const ReaderResult& result) {
  if (result.outcome == Outcome::kNoAccess) {
    env_.err << NoAccessMessage(result.product_id, result.serial) << Qt::endl;
  }
  if (result.outcome == Outcome::kNotConfigurable) {
    env_.err << OldReaderText(result.serial, result.firmware) << Qt::endl;
  }
}

int Commands::Check(const QString& path) {
  if (ReferenceRowsMissing()) return kDatabase;
  const std::optional<ValidatedSettings> settings = ReadFile(path);
  if (database_->HadFailure()) return DatabaseFault();
  const bool applicable = settings && !settings->HasInvalidValues();
  // A prefix or suffix the Russian layout types as other characters arrives changed in a
  // program that has that layout on.
  QJsonArray layout_dependent;
  QStringList layout_warnings;
  for (const SettingsKey key : {SettingsKey::kPrefix, SettingsKey::kSuffix}) {
    if (!settings) break;
    const QString text = (*settings)[key].value.text;
    const QString russian = TypedInRussianLayout(text);
    if (russian == text) continue;
    layout_dependent.append(QLatin1String(SettingOf(key).file_key));
    layout_warnings << CaptionOf(key) + QStringLiteral(" ") + Quoted(text) +
                           QStringLiteral(
                               " придет в программу с русской раскладкой клавиатуры "
                               "как ") +
                           Quoted(russian) + QStringLiteral(".");
  }
  if (options_.json) {
    QJsonArray values;
    for (const SettingDescriptor& setting : kSettings) {
      if (!settings) break;
      const SettingsValue& value = (*settings)[setting.key];
      values.append(QJsonObject{{"key", QLatin1String(setting.file_key)},
                                {"value", value.value.Shown()},
                                {"shown", value.shown},
                                {"valid", value.valid}});
    }
    env_.out << QJsonDocument(QJsonObject{{"file", path},
                                          {"readable", settings.has_value()},
                                          {"applicable", applicable},
                                          {"values", values},
                                          {"layout_dependent", layout_dependent}})
                    .toJson(QJsonDocument::Compact)
             << Qt::endl;
  } else if (settings) {
    std::vector<QStringList> rows;
    for (const SettingDescriptor& setting : kSettings) {
      const SettingsValue& value = (*settings)[setting.key];
      rows.push_back({QLatin1String(setting.file_key), value.shown,
                      value.valid ? QString() : QStringLiteral("некорректное значение")});
    }
    PrintTable(env_.out, rows);
  }
  for (const QString& warning : layout_warnings) env_.err << warning << Qt::endl;
  if (settings && !applicable) env_.err << InvalidValuesText() << Qt::endl;
  return applicable ? kDone : kRefused;
}

int Commands::Apply(const QString& path) {
  if (ReferenceRowsMissing()) return kDatabase;
  const std::optional<std::vector<AppliedParameter>> parameters = FileParameters(path);
  if (database_->HadFailure()) return DatabaseFault();
  if (!parameters) return kRefused;
  if (options_.each) return ApplyEach(path, *parameters);
  const std::optional<std::vector<ConnectedReader>> chosen = ChosenReaders();
  if (!chosen) return kNoReader;
  std::vector<ApplyTarget> targets;
  std::vector<ReaderResult> results;
  for (const ConnectedReader& reader : *chosen) {
    targets.push_back({reader.handle, reader.Configurable()});
    results.push_back(ResultFor(reader, reader.access_denied    ? Outcome::kNoAccess
                                        : reader.Configurable() ? Outcome::kUntouched
                                                                : Outcome::kNotConfigurable));
  }
  // Ctrl+C or SIGTERM lets the reader in hand get all its parameters, then touches no other.
  const StopOnSignals stopping;
  const std::vector<SettingWrite> writes = WritesOf(*parameters);
  const ApplyReport report = ApplyToReaders(
      env_.hid, targets, *parameters, [](int, const SettingWrite&) {},
      [&](int target) {
        results[target] = Confirmed(env_.hid, (*chosen)[target], writes, options_.verify);
      },
      &StopOnSignals::Requested);
  if (report.refused) {
    results[report.refused_target] =
        ResultFor((*chosen)[report.refused_target], Outcome::kRefused, {*report.refused});
  }
  // What each reader held before the write and what it was read back holding after it.
  for (ReaderResult& result : results) {
    result.values["before"] = ValuesJson(result.before);
    result.values["after"] = ValuesJson(result.read_back);
    Record(result, path);
  }
  Print(results, {{"file", path}});
  if (report.refused) {
    env_.err << ApplyRefusedText(*report.refused, (*chosen)[report.refused_target], *parameters,
                                 *database_)
             << Qt::endl;
    return kRefused;
  }
  if (report.interrupted) {
    env_.err << QStringLiteral(
                    "Загрузка из файла прервана по сигналу: считыватели, которые ещё "
                    "не затронуты, не записаны.")
             << Qt::endl;
    return kRefused;
  }
  const auto any = [&](Outcome outcome) {
    return std::ranges::any_of(
        results, [&](const ReaderResult& result) { return result.outcome == outcome; });
  };
  if (report.configured == 0) {
    env_.err << NothingAppliedText() << Qt::endl;
    return WithAccess(results, kRefused);
  }
  if (any(Outcome::kUnconfirmed)) {
    env_.err << QStringLiteral(
                    "Настройки, считанные после записи, отличаются от файла: запись "
                    "не подтверждена.")
             << Qt::endl;
    return kRefused;
  }
  // A file taken only in part, or a reader passed over, is work only partly done: the last
  // words say so.
  const auto written = std::ranges::count_if(
      results, [](const ReaderResult& result) { return result.outcome == Outcome::kWritten; });
  const auto passed_over = static_cast<qsizetype>(results.size()) - written;
  if (passed_over == 0 || report.missing > 0) env_.err << ApplyDoneText(report.missing) << Qt::endl;
  if (passed_over > 0) {
    env_.err << QStringLiteral(
                    "Загрузка из файла настроек выполнена частично: записано "
                    "считывателей: %1, не записано: %2.")
                    .arg(written)
                    .arg(passed_over)
             << Qt::endl;
  }
  return WithAccess(results, passed_over == 0 && report.missing == 0 ? kDone : kRefused);
}

int Commands::ApplyEach(const QString& path, const std::vector<AppliedParameter>& parameters) {
  if (!env_.nodes) {
    env_.err << QStringLiteral("Подключение считывателей не может быть отслежено.") << Qt::endl;
    return kRefused;
  }
  env_.err << QStringLiteral(
                  "Подключайте считыватели по одному; каждый будет записан, проверен "
                  "и подаст светозвуковой сигнал. Ctrl+C завершает работу.")
           << Qt::endl;
  const StopOnSignals stopping;
  const Station station{
      .hid = env_.hid,
      .nodes = *env_.nodes,
      .clock = Clock(),
      .writes = WritesOf(parameters),
      .verify = options_.verify,
      .count = options_.count,
      .done =
          [&](const ReaderResult& result) {
            Record(result, path);
            const QDateTime now = QDateTime::currentDateTime();
            if (options_.json) {
              QJsonObject line = result.Json();
              line["time"] = now.toString(Qt::ISODateWithMs);
              env_.out << QJsonDocument(line).toJson(QJsonDocument::Compact) << Qt::endl;
            } else {
              env_.out << now.toString(QStringLiteral("HH:mm:ss")) << QStringLiteral("  ")
                       << result.serial << QStringLiteral("  ") << result.firmware.Text()
                       << QStringLiteral("  ") << result.Message() << Qt::endl;
            }
            TellWhyNotConfigured(result);
          },
      // Nobody reads the results any more: the station ends, as at a signal.
      .stop = [this] { return StopOnSignals::Requested() || OutputBroken(); },
  };
  return RunStation(station) ? kDone : kRefused;
}

int Commands::Compare(const QString& path) {
  if (ReferenceRowsMissing()) return kDatabase;
  const std::optional<std::vector<AppliedParameter>> parameters = FileParameters(path);
  if (database_->HadFailure()) return DatabaseFault();
  if (!parameters) return kRefused;
  const std::optional<std::vector<ConnectedReader>> chosen = ChosenReaders();
  if (!chosen) return kNoReader;
  const std::vector<SettingWrite> writes = WritesOf(*parameters);
  std::vector<ReaderResult> results;
  for (const ConnectedReader& reader : *chosen) {
    const std::vector<SettingsKey> differing =
        reader.Configurable() ? NotHeld(reader.Values(), writes) : std::vector<SettingsKey>();
    results.push_back(ResultFor(reader,
                                reader.access_denied     ? Outcome::kNoAccess
                                : !reader.Configurable() ? Outcome::kNotConfigurable
                                : differing.empty()      ? Outcome::kEqual
                                                         : Outcome::kDifferent,
                                differing));
    results.back().of_comparison = true;
    results.back().values["values"] =
        reader.Configurable() ? QJsonValue(ComparedValues(reader, *parameters)) : QJsonValue();
  }
  Print(results, {{"file", path}});
  return WithAccess(results, std::ranges::all_of(results,
                                                 [](const ReaderResult& result) {
                                                   return result.outcome == Outcome::kEqual;
                                                 })
                                 ? kDone
                                 : kRefused);
}

QJsonValue Commands::ValuesJson(const std::optional<ReaderValues>& values) const {
  return values ? QJsonValue(SettingsJson(*values)) : QJsonValue();
}

void Commands::Record(const ReaderResult& result, const QString& file) {
  const bool touched = result.outcome == Outcome::kWritten ||
                       result.outcome == Outcome::kUnconfirmed ||
                       result.outcome == Outcome::kRefused;
  if (options_.record.isEmpty() || !touched) return;
  if (recorded_file_sha256_.isEmpty()) {
    QFile settings(file);
    recorded_file_sha256_ =
        settings.open(QIODevice::ReadOnly)
            ? QString::fromLatin1(
                  QCryptographicHash::hash(settings.readAll(), QCryptographicHash::Sha256).toHex())
            : QStringLiteral("-");
  }
  QJsonObject line = result.Json();
  line.remove(QStringLiteral("message"));
  line["time"] = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
  line["host"] = QSysInfo::machineHostName();
  line["user"] = qEnvironmentVariable("USER", qEnvironmentVariable("LOGNAME"));
  line["product_id"] = result.product_id;
  line["file"] = QFileInfo(file).absoluteFilePath();
  line["sha256"] = recorded_file_sha256_;
  line["before"] = ValuesJson(result.before);
  line["after"] = ValuesJson(result.read_back);
  line["read_back"] = result.read_back.has_value();
  if (const QString problem = AppendRecordLine(options_.record, line); !problem.isEmpty()) {
    env_.err << QStringLiteral("Запись о считывателе ") << Quoted(result.serial)
             << QStringLiteral(" не добавлена в журнал ") << Quoted(options_.record)
             << QStringLiteral(": ") << problem << Qt::endl;
  }
}

int Commands::ShowRecord(const QString& path) {
  QString why;
  const std::optional<RecordLines> record = ReadRecordLines(path, &why);
  if (!record) {
    env_.err << QStringLiteral("Журнал ") << Quoted(path) << QStringLiteral(" не прочитан: ") << why
             << Qt::endl;
    return kRefused;
  }
  for (const int number : record->damaged) {
    env_.err << QStringLiteral("Строка %1 журнала повреждена и пропущена.").arg(number) << Qt::endl;
  }
  if (options_.json) {
    QJsonArray lines;
    for (const QJsonObject& line : record->lines) lines.append(line);
    env_.out << QJsonDocument(QJsonObject{{"file", path}, {"record", lines}})
                    .toJson(QJsonDocument::Compact)
             << Qt::endl;
  } else {
    env_.out << RecordCsv(record->lines);
  }
  return kDone;
}

QJsonObject Commands::ComparedValues(const ConnectedReader& reader,
                                     const std::vector<AppliedParameter>& parameters) const {
  QJsonObject values;
  for (const AppliedParameter& parameter : parameters) {
    // A key the file does not set is not compared, and says so.
    values[QLatin1String(parameter.Setting().json_key)] = QJsonObject{
        {"reader", SettingJson(parameter.key, reader.Values().Get(parameter.key))},
        {"file", parameter.missing ? QJsonValue() : SettingJson(parameter.key, parameter.value)}};
  }
  return values;
}

int Commands::WithAccess(const std::vector<ReaderResult>& results, int status) {
  const bool denied = std::ranges::any_of(
      results, [](const ReaderResult& result) { return result.outcome == Outcome::kNoAccess; });
  return denied && (status == kDone || status == kRefused) ? kNoReader : status;
}

}  // namespace kx12r::cli
