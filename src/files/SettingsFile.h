#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "db/ServiceDatabase.h"
#include "files/FileAccess.h"
#include "reader/ReaderSettings.h"
#include "reader/SettingsCommit.h"

namespace kx12r {

// The extension of a settings file, with its exact letter case.
inline constexpr char kSettingsFileExtension[] = ".kxr";

// The file a reader's settings make: eight lines "Key=value" in Windows-1251, each ended by
// CR LF, and one more CR LF. Flags are written as "1"/"0".
QByteArray SettingsFileBytes(const ReaderValues& values);

// The refusal of a save to `path` when something other than a regular file has that name (a
// link, a folder, a device); nothing when a save may go on.
std::optional<QString> NotARegularFileText(const QString& path);

// A file's text split at every CR LF; an empty file has no lines.
QStringList SettingsFileLines(const QByteArray& bytes);

// The lines of the file at `path`; nothing when it cannot be read or is no regular file of at
// most 64 KiB, and then, when `why` is given, the reason there.
std::optional<QStringList> ReadSettingsLines(const QString& path, UnreadableFile* why = nullptr);

// Whether a file name ends in the extension with its exact letter case.
bool HasSettingsExtension(const QString& name);

// A key's value in a settings file: not set (no line carries the key), none (the line gives
// nothing, or the file's word for nothing), or the text the line gives.
struct FileValue {
  enum class Kind { kNotSet, kNone, kGiven };
  Kind kind = Kind::kNotSet;
  QString text;  // empty unless given
  // As the preview and kx12rctl show it: kNotSet, kNone, or the text.
  QString Shown() const;
};

// The value of `key` in the lines: the first line that contains key + "=" (any letter case),
// with every occurrence of that text removed.
FileValue GetSettingsValue(const QString& key, const QStringList& lines);

// A prefix or suffix of a file: not set, none, or at most five characters of codes 32..126.
bool IsValidAffix(const FileValue& value);

// One looked-up value of a file and what validation made of it.
struct SettingsValue {
  FileValue value;
  QString shown;  // what the preview shows
  bool valid = true;
};

// A whole file, validated: a value for each key in order.
struct ValidatedSettings {
  std::array<SettingsValue, kSettingsKeyCount> values;
  bool HasInvalidValues() const;
  const SettingsValue& operator[](SettingsKey key) const {
    return values[static_cast<std::size_t>(key)];
  }
};

// Names of code formats and endings, and whether they exist: from the service database, or,
// without one, any 16-bit number, named by its digits.
class ReferenceNames {
 public:
  explicit ReferenceNames(ServiceDatabase* database) : database_(database) {}
  bool CodeFormatExists(int id) const;
  QString CodeFormatName(int id) const;
  bool EndingExists(int code) const;
  QString EndingName(int code) const;

 private:
  ServiceDatabase* database_;
};

ValidatedSettings ValidateSettings(const QStringList& lines, const ReferenceNames& names);

// One parameter an apply writes. A key the file does not set is `missing` and sends nothing.
struct AppliedParameter {
  SettingsKey key;
  bool missing = false;
  SettingValue value;
  const SettingDescriptor& Setting() const { return SettingOf(key); }
};

// What a validated file writes, in order. Numbers go out as the decimal digits of the integer
// validation judged, flags by their number (0 clears, any other sets), the ending as the one
// character of its code.
std::vector<AppliedParameter> ParametersToApply(const ValidatedSettings& settings);
// What the reader is given of them: those the file sets, in order.
std::vector<SettingWrite> WritesOf(const std::vector<AppliedParameter>& parameters);

}  // namespace kx12r
