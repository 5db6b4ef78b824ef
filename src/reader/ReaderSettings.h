#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <variant>

#include "reader/DeviceColumns.h"
#include "reader/ReportExchange.h"

namespace kx12r {

// The eight settings of a reader, in the order a settings file writes them and an apply sends
// them.
enum class SettingsKey {
  kVariant,
  kPrefix,
  kCodeFormat,
  kSuffix,
  kEnding,
  kBuzzerOff,
  kStandAlone,
  kRepeatMessage,
};
inline constexpr int kSettingsKeyCount = 8;

// How a setting's value goes to the reader and into the device list.
enum class SettingEncoding {
  kNumber,  // decimal digits, sent and cached alike
  kAffix,   // up to five characters, one to a report position; an empty one is sent as a space
  kEnding,  // one character on the wire, cached as its code
  kFlag,    // the setting's own command letter when set, a space when cleared; cached -1 or 0
};

struct SettingDescriptor {
  SettingsKey key;
  const char* file_key;  // as a settings file writes it, without "="
  const char* json_key;  // as kx12rctl's documents name it
  std::uint8_t query;
  std::uint8_t set;
  DeviceColumn device_column;
  const char* caption;  // names the setting when a reader refuses it
  SettingEncoding encoding;
};

inline constexpr std::array<SettingDescriptor, kSettingsKeyCount> kSettings = {{
    {SettingsKey::kVariant, "Variant", "variant", command::kQueryVariant, command::kSetVariant,
     kColCodeMethod, "Вариант посылки", SettingEncoding::kNumber},
    {SettingsKey::kPrefix, "Prefix", "prefix", command::kQueryPrefix, command::kSetPrefix,
     kColPrefix, "Префикс", SettingEncoding::kAffix},
    {SettingsKey::kCodeFormat, "Code_format", "code_format", command::kQueryCodeFormat,
     command::kSetCodeFormat, kColEncoding, "Код формата метки", SettingEncoding::kNumber},
    {SettingsKey::kSuffix, "Suffix", "suffix", command::kQuerySuffix, command::kSetSuffix,
     kColSuffix, "Суффикс", SettingEncoding::kAffix},
    {SettingsKey::kEnding, "Ending", "ending", command::kQueryEnding, command::kSetEnding,
     kColEnding, "Окончание", SettingEncoding::kEnding},
    {SettingsKey::kBuzzerOff, "buZzer_off", "buzzer_off", command::kQueryBuzzerOff,
     command::kSetBuzzerOff, kColBunBuzzer, "Отключить Буззер", SettingEncoding::kFlag},
    {SettingsKey::kStandAlone, "standAlone", "stand_alone", command::kQueryStandAlone,
     command::kSetStandAlone, kColStandAlone, "Разрешить автономную работу",
     SettingEncoding::kFlag},
    {SettingsKey::kRepeatMessage, "Repeat_message", "repeat", command::kQueryRepeat,
     command::kSetRepeat, kColRepeatResolution, "Разрешить повтор посылки", SettingEncoding::kFlag},
}};

inline constexpr const SettingDescriptor& SettingOf(SettingsKey key) {
  return kSettings[static_cast<std::size_t>(key)];
}

// The flags, in the order the settings tab shows their boxes.
inline constexpr std::array<SettingsKey, 3> kFlagKeys = {
    SettingsKey::kBuzzerOff, SettingsKey::kStandAlone, SettingsKey::kRepeatMessage};

// The reader's message variants: 1 to 7 fixed, 8 changeable.
inline constexpr int kFixedVariants = 7;
inline constexpr int kChangeableVariant = 8;

// What a fixed variant sends: prefix and suffix (empty: none), the code format by number and by
// the name the screens show, and the ending by character code (0: none) and name.
struct FixedVariant {
  const char* prefix;
  const char* suffix;
  int code_format;
  const char* code_format_name;
  int ending;
  const char* ending_name;  // nothing: no ending
};
inline constexpr std::array<FixedVariant, kFixedVariants> kFixedVariantMessages = {{
    {"", "", 1, "5x8b_DEC", 0, nullptr},
    {"", "", 1, "5x8b_DEC", 13, "Enter"},
    {";", "?", 1, "5x8b_DEC", 13, "Enter"},
    {"", "", 2, "40b_DEC", 13, "Enter"},
    {";", "?", 2, "40b_DEC", 13, "Enter"},
    {"", "", 3, "32b_DEC", 13, "Enter"},
    {"", "", 4, "40bm_DEC", 13, "Enter"},
}};

// The message of a fixed variant; nothing for the changeable one or a number no variant has.
inline const FixedVariant* FixedVariantOf(int variant) {
  return variant >= 1 && variant <= kFixedVariants ? &kFixedVariantMessages[variant - 1] : nullptr;
}

// Words shown in place of a value.
inline const QString kNone = QStringLiteral("нет");             // an empty prefix, suffix or value
inline const QString kUnknown = QStringLiteral("не известен");  // a number no name is known for
inline const QString kNotSet = QStringLiteral("не задан");      // a file without the key

// A prefix or suffix as the screens show it: kNone when empty.
inline QString ShownAffix(const QString& text) { return text.isEmpty() ? kNone : text; }
// A flag as the screens show it.
inline QString ShownFlag(bool set) { return set ? QStringLiteral("Да") : QStringLiteral("Нет"); }

// A value a write takes: a number for the variant, the code format and the ending's character
// code; a text for the prefix and the suffix; whether a flag is set.
using SettingValue = std::variant<int, QString, bool>;

// What a write of a setting sends, and what the device list caches once the reader took it.
struct SettingWrite {
  QString sent;
  QString cached;
};

// The one translation of a value into its write. Nothing when the value has no form on the
// wire: an ending code outside one byte, or a value of another kind than the setting's.
std::optional<SettingWrite> EncodeSetting(SettingsKey key, const SettingValue& value);

// What the device list caches of a query's reply (its spaces left out): a flag by its letter,
// the ending by its character's code (a space, left out, is 32), other settings as they came.
QString CachedFromReply(SettingsKey key, const QString& reply);

// A flag as the device list caches it.
QString FlagCell(bool set);

}  // namespace kx12r
