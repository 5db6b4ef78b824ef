// Applying a settings file's parameters to readers, and what the user is told of it.
#include "files/SettingsApply.h"

#include "base/MessageBox.h"
#include "db/ServiceLookups.h"
#include "reader/ReportExchange.h"
#include "shown/ShownSettings.h"

namespace kx12r {

QString InvalidValuesText() {
  return QStringLiteral(
      "Загружаемый файл настроек содержит некорректые значения параметров. "
      "Операция не может быть выполнена.");
}

QString InvalidFileText(ServiceDatabase& db) {
  const QString missing = MissingReferenceRows(db);
  return missing.isEmpty() ? InvalidValuesText() : missing;
}

QString ApplyRefusedText(SettingsKey refused) {
  return QStringLiteral("Загрузка из файла прервана. Ошибка установки параметра ") +
         Quoted(CaptionOf(refused)) + QStringLiteral(".");
}

QString ApplyRefusedText(SettingsKey refused, const ConnectedReader& reader,
                         const std::vector<AppliedParameter>& parameters, ServiceDatabase& db) {
  QString why;
  for (const AppliedParameter& parameter : parameters) {
    const int* id = std::get_if<int>(&parameter.value);
    if (refused != SettingsKey::kCodeFormat || parameter.key != refused || id == nullptr) {
      continue;
    }
    const QString name = GetCodeVariantName(db, *id);
    why = reader.identity.firmware.WhyNoCodeFormat(
        *id, name.isEmpty() ? QString::number(*id) : name, reader.identity.product_id);
  }
  const QString text = ApplyRefusedText(refused);
  return why.isEmpty() ? text : text.chopped(1) + QStringLiteral(": ") + why + QStringLiteral(".");
}

QString ApplyDoneText(int missing) {
  if (missing == 0) return QStringLiteral("Загрузка из файла настроек выполнена успешно.");
  if (missing == 1) {
    return QStringLiteral(
        "Загрузка из файла настроек выполнена не в полном объеме. Не задан "
        "один параметр настроек.");
  }
  return QStringLiteral(
      "Загрузка из файла настроек выполнена не в полном объеме. Не задано "
      "несколько параметров настроек.");
}

QString NothingAppliedText() {
  return QStringLiteral(
      "Загрузка из файла настроек не выполнена: нет считывателя, который может "
      "быть настроен.");
}

ReaderApply ApplyToReader(HidLibrary& hid, int handle,
                          const std::vector<AppliedParameter>& parameters,
                          const std::function<void(const SettingWrite&)>& accepted) {
  ReaderApply outcome;
  outcome.refused = CommitSettings(hid, handle, WritesOf(parameters), accepted);
  // The parameters the file does not set, up to where the reader stopped taking them.
  for (const AppliedParameter& parameter : parameters) {
    if (parameter.key == outcome.refused) break;
    if (parameter.missing) ++outcome.missing;
  }
  return outcome;
}

ApplyReport ApplyToReaders(HidLibrary& hid, const std::vector<ApplyTarget>& targets,
                           const std::vector<AppliedParameter>& parameters,
                           const std::function<void(int target, const SettingWrite&)>& accepted,
                           const std::function<void(int target)>& passed,
                           const std::function<bool()>& stop) {
  ApplyReport report;
  for (int target = 0; target < static_cast<int>(targets.size()); ++target) {
    if (!targets[target].configurable) continue;
    if (stop && stop()) {
      report.interrupted = true;
      return report;
    }
    ++report.configured;
    const ReaderApply outcome =
        ApplyToReader(hid, targets[target].handle, parameters,
                      [&](const SettingWrite& write) { accepted(target, write); });
    report.missing += outcome.missing;
    if (outcome.refused) {
      report.refused = outcome.refused;
      report.refused_target = target;
      return report;
    }
    if (passed) passed(target);
  }
  return report;
}

}  // namespace kx12r
