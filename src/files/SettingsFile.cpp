// The settings file (.kxr): reading, judging, writing.
#include "files/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <vector>

#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "base/SingleByteText.h"
#include "db/ServiceLookups.h"

namespace kx12r {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kAffixLimit = 5;
constexpr int kLowestAffixCode = 32;
constexpr int kHighestAffixCode = 126;
constexpr int kLowestVariant = 1;
// A settings file is about 110 bytes; anything past this is no settings file.
constexpr qsizetype kLargestSettingsFile = 64 * 1024;

// Writes all of `bytes` to `fd`, gives the file `mode`, puts it on the disk and closes it; the
// system's error number, or 0.
// Writes the bytes from the file's start, gives it their length and `mode`, and closes it; 0 or
// the system's error.
int WriteWholeAndClose(int fd, const QByteArray& bytes, mode_t mode) {
  int error = 0;
  for (qsizetype done = 0; done < bytes.size() && error == 0;) {
    const ssize_t n = pwrite(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done),
                             static_cast<off_t>(done));
    if (n > 0) done += n;
    if (n < 0 && errno != EINTR) error = errno;
    if (n == 0) error = ENOSPC;
  }
  if (error == 0 && (ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 ||
                     fchmod(fd, mode) != 0 || fsync(fd) != 0)) {
    error = errno;
  }
  if (close(fd) != 0 && error == 0) error = errno;
  return error;
}

bool InGroup(gid_t group) {
  if (group == getegid()) return true;
  std::vector<gid_t> groups(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
  const int count = getgroups(static_cast<int>(groups.size()), groups.data());
  return std::find(groups.begin(), groups.begin() + std::max(count, 0), group) !=
         groups.begin() + std::max(count, 0);
}

// Whether a new file of ours can be given the existing file's owner and group.
bool CanKeepOwner(const struct stat& existing) {
  return geteuid() == 0 || (existing.st_uid == geteuid() && InGroup(existing.st_gid));
}

// A file that stays where it is: its owner, group and mode stay, for a file of another user or
// in a folder we may not write. Only a regular file is opened, and no link is followed.
std::optional<QString> RewriteInPlace(const QString& path, const QByteArray& bytes, mode_t mode) {
  const int fd =
      open(QFile::encodeName(path).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return qt_error_string(errno);
  struct stat opened {};
  if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    close(fd);
    return NotARegularFileText(path).value_or(qt_error_string(EINVAL));
  }
  if (const int error = WriteWholeAndClose(fd, bytes, mode)) return qt_error_string(error);
  return std::nullopt;
}

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
  const mode_t process_mask = umask(0);
  umask(process_mask);
  const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~process_mask);
  // A file that a new one could not stand in for (another user's, or in a folder we may not
  // write) is rewritten where it is, keeping its owner.
  const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
  if (exists && (!CanKeepOwner(existing) || access(folder.constData(), W_OK) != 0)) {
    return RewriteInPlace(path, bytes, mode);
  }
  // The bytes go to a new file beside it that then takes its name: the new file is made
  // exclusively (no link is followed), and the rename replaces the name itself.
  QByteArray temporary = native + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return qt_error_string(errno);
  // Root replacing a user's file leaves it the user's.
  if (exists && fchown(fd, existing.st_uid, existing.st_gid) != 0) {
    const int error = errno;
    close(fd);
    unlink(temporary.constData());
    return qt_error_string(error);
  }
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

std::optional<QStringList> ReadSettingsLines(const QString& path, UnreadableFile* why) {
  const auto refused = [why](UnreadableFile reason) -> std::optional<QStringList> {
    if (why != nullptr) *why = reason;
    return std::nullopt;
  };
  // Never waits: a FIFO or a device opens at once and is then refused by its type.
  const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    return refused(errno == EACCES || errno == EPERM ? UnreadableFile::kNoPermission
                                                     : UnreadableFile::kReadFailed);
  }
  const auto done = qScopeGuard([fd] { close(fd); });
  struct stat opened {};
  if (fstat(fd, &opened) != 0) return refused(UnreadableFile::kReadFailed);
  if (!S_ISREG(opened.st_mode)) return refused(UnreadableFile::kNotRegular);
  if (opened.st_size > kLargestSettingsFile) return refused(UnreadableFile::kTooLarge);
  QByteArray bytes(kLargestSettingsFile + 1, Qt::Uninitialized);
  qsizetype length = 0;
  while (length < bytes.size()) {
    const ssize_t n = read(fd, bytes.data() + length, static_cast<size_t>(bytes.size() - length));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return refused(UnreadableFile::kReadFailed);
    if (n == 0) break;
    length += n;
  }
  if (length > kLargestSettingsFile) return refused(UnreadableFile::kTooLarge);  // it grew
  bytes.truncate(length);
  return SettingsFileLines(bytes);
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
    parameter.sent = EncodeSetting(setting.key, parameter.value).value_or(QString());
    parameters.push_back(parameter);
  }
  return parameters;
}

}  // namespace kx12r
