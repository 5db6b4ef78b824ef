// The settings file (.kxr): reading, judging, writing.
#include "files/SettingsFile.h"

#include <QFile>
#include <algorithm>
#include <vector>

#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "base/SingleByteText.h"
#include "db/ServiceLookups.h"
#include "files/FileAccess.h"
#include "shown/ShownSettings.h"

namespace kx12r {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kAffixLimit = 5;
constexpr int kLowestAffixCode = 32;
constexpr int kHighestAffixCode = 126;
constexpr int kLowestVariant = 1;
// A settings file is about 110 bytes; anything past this is no settings file.
constexpr qsizetype kLargestSettingsFile = 64 * 1024;

// The word a settings file may give for a value that is none, as an empty one.
const QString kFileNoneWord = QStringLiteral("нет");

QString FlagShown(const FileValue& value) {
  return value.kind == FileValue::Kind::kNotSet ? kNotSet
                                                : ShownFlag(NumberOfValue(value.text) != 0);
}

// A code format or an ending: valid when its integer names a row, and never when the file does
// not set it, whatever rows the database holds.
SettingsValue NamedNumber(const FileValue& value, const std::function<bool(int)>& exists,
                          const std::function<QString(int)>& name) {
  const std::optional<std::int16_t> number = IntegerOfValue(value.text);
  // A key the file does not have is said to be missing, not an unknown number.
  if (value.kind == FileValue::Kind::kNotSet) return {value, kNotSet, false};
  const bool valid = number && exists(*number);
  return {value, valid ? name(*number) : kUnknown, valid};
}

}  // namespace

QByteArray SettingsFileBytes(const ReaderValues& values) {
  QString text;
  for (const SettingDescriptor& setting : kSettings) {
    const SettingValue value = values.Get(setting.key);
    QString written;
    if (const bool* flag = std::get_if<bool>(&value)) written = QString::number(*flag ? 1 : 0);
    if (const Affix* affix = std::get_if<Affix>(&value)) written = WrittenAffix(*affix);
    if (const int* number = std::get_if<int>(&value)) written = QString::number(*number);
    // A code format the reader never gave is written empty.
    if (setting.key == SettingsKey::kCodeFormat && !values.code_format) written.clear();
    text += QLatin1String(setting.file_key) + QLatin1Char('=') + written + kCrLf;
  }
  text += kCrLf;
  const std::string bytes = ToSingleByte(text);
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::optional<QString> NotARegularFileText(const QString& path) {
  if (!IsOtherThanRegularFile(path)) return std::nullopt;
  return QStringLiteral("Файл конфигурации ") + Quoted(path) +
         QStringLiteral(
             " не является обычным файлом: сохранение в ссылку, папку или устройство "
             "не выполняется.");
}

QStringList SettingsFileLines(const QByteArray& bytes) {
  if (bytes.isEmpty()) return {};
  return FromSingleByte(std::string_view(bytes.constData(), bytes.size())).split(kCrLf);
}

std::optional<QStringList> ReadSettingsLines(const QString& path, UnreadableFile* why) {
  const auto bytes = ReadRegularFile(path, kLargestSettingsFile, why);
  if (!bytes) return std::nullopt;
  return SettingsFileLines(*bytes);
}

bool HasSettingsExtension(const QString& name) {
  return name.endsWith(QLatin1String(kSettingsFileExtension), Qt::CaseSensitive);
}

QString FileValue::Shown() const {
  switch (kind) {
    case Kind::kNotSet:
      return kNotSet;
    case Kind::kNone:
      return kNone;
    case Kind::kGiven:
      break;
  }
  return text;
}

FileValue GetSettingsValue(const QString& key, const QStringList& lines) {
  const QString marked = key + QLatin1Char('=');
  for (const QString& line : lines) {
    if (!line.contains(marked, Qt::CaseInsensitive)) continue;
    QString value = line;
    value.remove(marked, Qt::CaseInsensitive);
    if (value.isEmpty() || value == kFileNoneWord) return {FileValue::Kind::kNone};
    return {FileValue::Kind::kGiven, value};
  }
  return {};
}

bool IsValidAffix(const FileValue& value) {
  if (value.kind != FileValue::Kind::kGiven) return true;
  if (value.text.size() > kAffixLimit) return false;
  for (char byte : ToSingleByte(value.text)) {
    const int code = static_cast<unsigned char>(byte);
    if (code < kLowestAffixCode || code > kHighestAffixCode) return false;
  }
  return true;
}

bool ValidatedSettings::HasInvalidValues() const {
  return std::any_of(values.begin(), values.end(),
                     [](const SettingsValue& value) { return !value.valid; });
}

bool ReferenceNames::CodeFormatExists(int id) const {
  return database_ ? CodeVariantExists(*database_, id) : IsSixteenBit(id);
}

QString ReferenceNames::CodeFormatName(int id) const {
  return database_ ? GetCodeVariantName(*database_, id) : QString::number(id);
}

bool ReferenceNames::EndingExists(int code) const {
  return database_ ? EndingCodeExists(*database_, code) : IsSixteenBit(code);
}

QString ReferenceNames::EndingName(int code) const {
  return database_ ? GetEndingKeyName(*database_, code) : QString::number(code);
}

ValidatedSettings ValidateSettings(const QStringList& lines, const ReferenceNames& names) {
  ValidatedSettings settings;
  for (const SettingDescriptor& setting : kSettings) {
    const FileValue value = GetSettingsValue(QLatin1String(setting.file_key), lines);
    SettingsValue& judged = settings.values[static_cast<int>(setting.key)];
    switch (setting.key) {
      case SettingsKey::kVariant: {
        const double number = NumberOfValue(value.text);
        judged = {value, value.Shown(), number >= kLowestVariant && number <= kChangeableVariant};
        break;
      }
      case SettingsKey::kPrefix:
      case SettingsKey::kSuffix:
        judged = {value, value.Shown(), IsValidAffix(value)};
        break;
      case SettingsKey::kCodeFormat:
        judged = NamedNumber(
            value, [&](int id) { return names.CodeFormatExists(id); },
            [&](int id) { return names.CodeFormatName(id); });
        break;
      case SettingsKey::kEnding:
        judged = NamedNumber(
            value, [&](int code) { return names.EndingExists(code); },
            [&](int code) { return names.EndingName(code); });
        // An ending goes out as one character: a code without one is never applied.
        judged.valid =
            judged.valid && EncodeSetting(setting.key, IntegerOfValue(value.text).value_or(0));
        break;
      default:
        judged = {value, FlagShown(value), true};
        break;
    }
    // Such a byte has no character to send or to show, so its value is never applied.
    if (HasUndefinedByte(value.text)) judged.valid = false;
  }
  return settings;
}

std::vector<AppliedParameter> ParametersToApply(const ValidatedSettings& settings) {
  std::vector<AppliedParameter> parameters;
  for (const SettingDescriptor& setting : kSettings) {
    AppliedParameter parameter{.key = setting.key};
    const FileValue& value = settings[setting.key].value;
    if (value.kind == FileValue::Kind::kNotSet) {
      parameter.missing = true;
      parameters.push_back(parameter);
      continue;
    }
    // Numbers go as the integer validation judged, flags by their number (0 clears).
    parameter.value = IntegerOfValue(value.text).value_or(0);
    if (setting.encoding == SettingEncoding::kAffix) {
      parameter.value = Affix{value.text, value.kind == FileValue::Kind::kNone};
    }
    if (setting.encoding == SettingEncoding::kFlag)
      parameter.value = NumberOfValue(value.text) != 0;
    parameters.push_back(parameter);
  }
  return parameters;
}

std::vector<SettingWrite> WritesOf(const std::vector<AppliedParameter>& parameters) {
  std::vector<SettingWrite> writes;
  for (const AppliedParameter& parameter : parameters) {
    if (!parameter.missing) writes.push_back({parameter.key, parameter.value});
  }
  return writes;
}

}  // namespace kx12r
