// The settings file (.kxr): reading, judging, writing.
#include "files/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QScopeGuard>
#include <cerrno>
#include <cstdlib>

#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "base/SingleByteText.h"
#include "db/ServiceLookups.h"
#include "reader/DeviceColumns.h"
#include "reader/ReportExchange.h"

namespace kx12r {
namespace {

const QString kUnknownName = QStringLiteral("не известен");
const QString kCrLf = QStringLiteral("\r\n");
constexpr int kAffixLimit = 5;
constexpr int kLowestAffixCode = 32;
constexpr int kHighestAffixCode = 126;
constexpr int kLowestVariant = 1;
constexpr int kHighestVariant = 8;
// A settings file is about 110 bytes; anything past this is no settings file.
constexpr qsizetype kLargestSettingsFile = 64 * 1024;

// Writes all of `bytes` to `fd`, gives the file `mode`, puts it on the disk and closes it; the
// system's error number, or 0.
int WriteWholeAndClose(int fd, const QByteArray& bytes, mode_t mode) {
  int error = 0;
  for (qsizetype done = 0; done < bytes.size() && error == 0;) {
    const ssize_t n = write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n > 0) done += n;
    if (n < 0 && errno != EINTR) error = errno;
    if (n == 0) error = ENOSPC;
  }
  if (error == 0 && (fchmod(fd, mode) != 0 || fsync(fd) != 0)) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  return error;
}

// A cached flag "-1" is written "1".
QString FlagText(const QString& cached) {
  return QString::number(std::abs(LeadingInteger(cached)));
}

QString FlagShown(const QString& value) {
  if (NumberOfValue(value) != 0) return QStringLiteral("Да");
  return value == kNotSet ? kNotSet : QStringLiteral("Нет");
}

// A code format or an ending: valid when its integer names a row, and never when the file does
// not set it, whatever rows the database holds.
SettingsValue NamedNumber(const QString& value, const std::function<bool(int)>& exists,
                          const std::function<QString(int)>& name) {
  const std::optional<std::int16_t> number = IntegerOfValue(value);
  const bool valid = value != kNotSet && number && exists(*number);
  return {value, valid ? name(*number) : kUnknownName, valid};
}

}  // namespace

QString KeyText(SettingsKey key) {
  switch (key) {
    case SettingsKey::kVariant:
      return QStringLiteral("Variant");
    case SettingsKey::kPrefix:
      return QStringLiteral("Prefix");
    case SettingsKey::kCodeFormat:
      return QStringLiteral("Code_format");
    case SettingsKey::kSuffix:
      return QStringLiteral("Suffix");
    case SettingsKey::kEnding:
      return QStringLiteral("Ending");
    case SettingsKey::kBuzzerOff:
      return QStringLiteral("buZzer_off");
    case SettingsKey::kStandAlone:
      return QStringLiteral("standAlone");
    case SettingsKey::kRepeatMessage:
    default:
      return QStringLiteral("Repeat_message");
  }
}

QByteArray SettingsFileBytes(const CachedSettings& settings) {
  const QString values[] = {settings.variant,
                            settings.prefix,
                            settings.code_format,
                            settings.suffix,
                            settings.ending,
                            FlagText(settings.buzzer_off),
                            FlagText(settings.stand_alone),
                            FlagText(settings.repeat)};
  QString text;
  for (SettingsKey key : kSettingsKeys) {
    text += KeyText(key) + QLatin1Char('=') + values[static_cast<int>(key)] + kCrLf;
  }
  text += kCrLf;
  const std::string bytes = ToSingleByte(text);
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool PathEntryExists(const QString& path) {
  struct stat entry {};
  return lstat(QFile::encodeName(path).constData(), &entry) == 0;
}

std::optional<QString> NotARegularFileText(const QString& path) {
  struct stat entry {};
  if (lstat(QFile::encodeName(path).constData(), &entry) != 0 || S_ISREG(entry.st_mode)) {
    return std::nullopt;
  }
  return QStringLiteral("Файл конфигурации ") + Quoted(path) +
         QStringLiteral(
             " не является обычным файлом: сохранение в ссылку, папку или устройство "
             "не выполняется.");
}

std::optional<QString> WriteFileWhole(const QString& path, const QByteArray& bytes) {
  const QByteArray native = QFile::encodeName(path);
  struct stat existing {};
  const bool exists = lstat(native.constData(), &existing) == 0;
  // Only a regular file is ever replaced: never what a link points to, nor a device.
  if (exists && !S_ISREG(existing.st_mode)) return NotARegularFileText(path);
  // A file made read-only stays as it is, even for a user the system would let replace it.
  if (exists && (access(native.constData(), W_OK) != 0 || (existing.st_mode & 0222) == 0)) {
    return qt_error_string(EACCES);
  }
  // The bytes go to a new file beside it that then takes its name: the new file is made
  // exclusively (no link is followed), and the rename replaces the name itself.
  QByteArray temporary = native + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return qt_error_string(errno);
  const mode_t process_mask = umask(0);
  umask(process_mask);
  const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~process_mask);
  int error = WriteWholeAndClose(fd, bytes, mode);
  if (error == 0 && rename(temporary.constData(), native.constData()) == 0) return std::nullopt;
  if (error == 0) error = errno;
  unlink(temporary.constData());
  return qt_error_string(error);
}

QStringList SettingsFileLines(const QByteArray& bytes) {
  if (bytes.isEmpty()) return {};
  return FromSingleByte(std::string_view(bytes.constData(), bytes.size())).split(kCrLf);
}

std::optional<QStringList> ReadSettingsLines(const QString& path) {
  // Never waits: a FIFO or a device opens at once and is then refused by its type.
  const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  const auto done = qScopeGuard([fd] { close(fd); });
  struct stat opened {};
  if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) ||
      opened.st_size > kLargestSettingsFile) {
    return std::nullopt;
  }
  QByteArray bytes(kLargestSettingsFile + 1, Qt::Uninitialized);
  qsizetype length = 0;
  while (length < bytes.size()) {
    const ssize_t n = read(fd, bytes.data() + length, static_cast<size_t>(bytes.size() - length));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    length += n;
  }
  if (length > kLargestSettingsFile) return std::nullopt;  // it grew while read
  bytes.truncate(length);
  return SettingsFileLines(bytes);
}

CachedSettings CachedSettingsFrom(const std::function<QString(int column)>& cell) {
  return {.variant = cell(kColCodeMethod),
          .prefix = cell(kColPrefix),
          .code_format = cell(kColEncoding),
          .suffix = cell(kColSuffix),
          .ending = cell(kColEnding),
          .buzzer_off = cell(kColBunBuzzer),
          .stand_alone = cell(kColStandAlone),
          .repeat = cell(kColRepeatResolution)};
}

bool HasSettingsExtension(const QString& name) {
  return name.endsWith(QLatin1String(kSettingsFileExtension), Qt::CaseSensitive);
}

QString GetSettingsValue(const QString& key, const QStringList& lines) {
  const QString marked = key + QLatin1Char('=');
  for (const QString& line : lines) {
    if (!line.contains(marked, Qt::CaseInsensitive)) continue;
    QString value = line;
    value.remove(marked, Qt::CaseInsensitive);
    return value.isEmpty() ? kNoValue : value;
  }
  return kNotSet;
}

bool IsValidAffix(const QString& text) {
  if (text == kNotSet || text == kNoValue) return true;
  if (text.size() > kAffixLimit) return false;
  for (char byte : ToSingleByte(text)) {
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
  for (SettingsKey key : kSettingsKeys) {
    const QString value = GetSettingsValue(KeyText(key), lines);
    SettingsValue& judged = settings.values[static_cast<int>(key)];
    switch (key) {
      case SettingsKey::kVariant: {
        const double number = NumberOfValue(value);
        judged = {value, value, number >= kLowestVariant && number <= kHighestVariant};
        break;
      }
      case SettingsKey::kPrefix:
      case SettingsKey::kSuffix:
        judged = {value, value, IsValidAffix(value)};
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
        break;
      default:
        judged = {value, FlagShown(value), true};
        break;
    }
    // Such a byte has no character to send or to show, so its value is never applied.
    if (HasUndefinedByte(value)) judged.valid = false;
  }
  return settings;
}

std::vector<AppliedParameter> ParametersToApply(const ValidatedSettings& settings) {
  struct Target {
    std::uint8_t command;
    int device_column;
    const char* caption;
  };
  static const Target kTargets[] = {
      {command::kSetVariant, kColCodeMethod, "Вариант посылки"},
      {command::kSetPrefix, kColPrefix, "Префикс"},
      {command::kSetCodeFormat, kColEncoding, "Код формата метки"},
      {command::kSetSuffix, kColSuffix, "Суффикс"},
      {command::kSetEnding, kColEnding, "Окончание"},
      {command::kSetBuzzerOff, kColBunBuzzer, "Отключить Буззер"},
      {command::kSetStandAlone, kColStandAlone, "Разрешить автономную работу"},
      {command::kSetRepeat, kColRepeatResolution, "Разрешить повтор посылки"},
  };
  std::vector<AppliedParameter> parameters;
  for (SettingsKey key : kSettingsKeys) {
    const Target& target = kTargets[static_cast<int>(key)];
    AppliedParameter parameter{.key = key,
                               .command = target.command,
                               .device_column = target.device_column,
                               .caption = QString::fromUtf8(target.caption)};
    const QString& value = settings[key].value;
    if (value == kNotSet) {
      parameter.missing = true;
      parameters.push_back(parameter);
      continue;
    }
    const QString integer = QString::number(IntegerOfValue(value).value_or(0));
    switch (key) {
      case SettingsKey::kVariant:
      case SettingsKey::kCodeFormat:
        parameter.sent = parameter.cached = integer;
        break;
      case SettingsKey::kPrefix:
      case SettingsKey::kSuffix:
        parameter.sent = value == kNoValue ? QStringLiteral(" ") : value;
        parameter.cached = value;
        break;
      case SettingsKey::kEnding: {
        const int code = IntegerOfValue(value).value_or(0);
        parameter.sent = FromSingleByte(std::string(1, static_cast<char>(code)));
        parameter.cached = integer;
        break;
      }
      default: {
        const bool set = NumberOfValue(value) != 0;
        parameter.sent = set ? QString(QChar(target.command)) : QStringLiteral(" ");
        parameter.cached = set ? QStringLiteral("-1") : QStringLiteral("0");
        break;
      }
    }
    parameters.push_back(parameter);
  }
  return parameters;
}

}  // namespace kx12r
