// The verbs on settings files: check, apply (to chosen readers or as a station) and compare.
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "base/MessageBox.h"
#include "cli/Commands.h"
#include "cli/Provisioning.h"
#include "cli/StopOnSignals.h"
#include "files/SettingsApply.h"

namespace kx12r::cli {

std::optional<ValidatedSettings> Commands::ReadFile(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  if (!QFileInfo(path).exists()) {
    env_.err << QStringLiteral("Файл ") << Quoted(path) << QStringLiteral(" не существует.")
             << Qt::endl;
    return std::nullopt;
  }
  const std::optional<QStringList> lines =
      HasSettingsExtension(name) ? ReadSettingsLines(path) : std::nullopt;
  if (!lines) {
    env_.err << QStringLiteral("Файл ") + Quoted(name) +
                    QStringLiteral(
                        " не содержит параметров настроек. Операция не может быть "
                        "выполнена.")
             << Qt::endl;
    return std::nullopt;
  }
  return ValidateSettings(*lines, Names());
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

std::optional<ListedReader> Commands::Chosen() {
  const Choice choice = ChooseReader(ListReaders(env_.hid, Clock()), options_.serial);
  if (!choice.reader) env_.err << choice.error << Qt::endl;
  return choice.reader;
}

std::optional<std::vector<ListedReader>> Commands::ChosenReaders() {
  if (!options_.all) {
    const std::optional<ListedReader> reader = Chosen();
    if (!reader) return std::nullopt;
    return std::vector<ListedReader>{*reader};
  }
  std::vector<ListedReader> readers = ListReaders(env_.hid, Clock());
  if (readers.empty()) {
    env_.err << kNoDevices << Qt::endl;
    return std::nullopt;
  }
  return readers;
}

void Commands::Print(const std::vector<ReaderResult>& results, QJsonObject document) {
  PrintResults(env_.out, results, options_.json, std::move(document));
  for (const ReaderResult& result : results) TellIfDenied(result);
}

void Commands::TellIfDenied(const ReaderResult& result) {
  if (result.outcome == Outcome::kNoAccess) {
    env_.err << NoAccessMessage(result.product_id, result.serial) << Qt::endl;
  }
}

int Commands::Check(const QString& path) {
  const std::optional<ValidatedSettings> settings = ReadFile(path);
  const bool applicable = settings && !settings->HasInvalidValues();
  if (options_.json) {
    QJsonArray values;
    for (const SettingDescriptor& setting : kSettings) {
      if (!settings) break;
      const SettingsValue& value = (*settings)[setting.key];
      values.append(QJsonObject{{"key", QLatin1String(setting.file_key)},
                                {"value", value.value},
                                {"shown", value.shown},
                                {"valid", value.valid}});
    }
    env_.out << QJsonDocument(QJsonObject{{"file", path},
                                          {"readable", settings.has_value()},
                                          {"applicable", applicable},
                                          {"values", values}})
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
  if (settings && !applicable) env_.err << InvalidValuesText() << Qt::endl;
  return applicable ? kDone : kRefused;
}

int Commands::Apply(const QString& path) {
  const std::optional<std::vector<AppliedParameter>> parameters = FileParameters(path);
  if (!parameters) return kRefused;
  if (options_.each) return ApplyEach(*parameters);
  const std::optional<std::vector<ListedReader>> chosen = ChosenReaders();
  if (!chosen) return kNoReader;
  std::vector<ApplyTarget> targets;
  std::vector<ReaderResult> results;
  for (const ListedReader& reader : *chosen) {
    targets.push_back({reader.Handle(), reader.Configurable()});
    results.push_back(ResultFor(reader, reader.access_denied    ? Outcome::kNoAccess
                                        : reader.Configurable() ? Outcome::kUntouched
                                                                : Outcome::kNotConfigurable));
  }
  // Ctrl+C or SIGTERM lets the reader in hand get all its parameters, then touches no other.
  const StopOnSignals stopping;
  const ApplyReport report = ApplyToReaders(
      env_.hid, targets, *parameters, [](int, const AppliedParameter&) {},
      [&](int target) {
        results[target] = Confirmed(env_.hid, (*chosen)[target], *parameters, options_.verify);
        env_.err << QStringLiteral("Считыватель ") << Quoted(results[target].serial)
                 << QStringLiteral(": ") << results[target].Message() << QStringLiteral(".")
                 << Qt::endl;
      },
      &StopOnSignals::Requested);
  if (report.refused_caption) {
    results[report.refused_target] =
        ResultFor((*chosen)[report.refused_target], Outcome::kRefused, {*report.refused_caption});
  }
  Print(results, {{"file", path}});
  if (report.refused_caption) {
    env_.err << ApplyRefusedText(*report.refused_caption) << Qt::endl;
    return kRefused;
  }
  if (report.interrupted) {
    env_.err << QStringLiteral(
                    "Загрузка из файла прервана по сигналу: считыватели, которые ещё "
                    "не затронуты, не записаны.")
             << Qt::endl;
    return kRefused;
  }
  const bool denied = std::ranges::any_of(
      results, [](const ReaderResult& result) { return result.outcome == Outcome::kNoAccess; });
  if (report.configured == 0) {
    env_.err << NothingAppliedText() << Qt::endl;
    return denied ? kNoReader : kRefused;
  }
  if (std::ranges::any_of(results, [](const ReaderResult& result) {
        return result.outcome == Outcome::kUnconfirmed;
      })) {
    env_.err << QStringLiteral(
                    "Настройки, считанные после записи, отличаются от файла: запись "
                    "не подтверждена.")
             << Qt::endl;
    return kRefused;
  }
  env_.err << ApplyDoneText(report.missing) << Qt::endl;
  return denied ? kRefused : kDone;
}

int Commands::ApplyEach(const std::vector<AppliedParameter>& parameters) {
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
      .parameters = parameters,
      .verify = options_.verify,
      .count = options_.count,
      .done =
          [&](const ReaderResult& result) {
            const QDateTime now = QDateTime::currentDateTime();
            if (options_.json) {
              QJsonObject line = result.Json();
              line["time"] = now.toString(Qt::ISODateWithMs);
              env_.out << QJsonDocument(line).toJson(QJsonDocument::Compact) << Qt::endl;
            } else {
              env_.out << now.toString(QStringLiteral("HH:mm:ss")) << QStringLiteral("  ")
                       << result.serial << QStringLiteral("  ") << result.firmware
                       << QStringLiteral("  ") << result.Message() << Qt::endl;
            }
            TellIfDenied(result);
          },
      .stop = &StopOnSignals::Requested,
  };
  return RunStation(station) ? kDone : kRefused;
}

int Commands::Compare(const QString& path) {
  const std::optional<std::vector<AppliedParameter>> parameters = FileParameters(path);
  if (!parameters) return kRefused;
  const std::optional<std::vector<ListedReader>> chosen = ChosenReaders();
  if (!chosen) return kNoReader;
  std::vector<ReaderResult> results;
  for (const ListedReader& reader : *chosen) {
    if (!reader.Configurable()) {
      results.push_back(
          ResultFor(reader, reader.access_denied ? Outcome::kNoAccess : Outcome::kNotConfigurable));
      continue;
    }
    const QStringList differing = DifferingParameters(reader.record, *parameters);
    results.push_back(
        ResultFor(reader, differing.isEmpty() ? Outcome::kEqual : Outcome::kDifferent, differing));
  }
  Print(results, {{"file", path}});
  return std::ranges::all_of(
             results, [](const ReaderResult& result) { return result.outcome == Outcome::kEqual; })
             ? kDone
             : kRefused;
}

}  // namespace kx12r::cli
