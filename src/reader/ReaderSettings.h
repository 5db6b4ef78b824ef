#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <variant>

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
  kNumber,  // decimal digits, sent and shown alike
  kAffix,   // up to five characters, one to a report position; an empty one is sent as a space
  kEnding,  // one character on the wire, shown as its code
  kFlag,    // the setting's own command letter when set, a space when cleared; shown -1 or 0
};

struct SettingDescriptor {
  SettingsKey key;
  const char* file_key;  // as a settings file writes it, without "="
  const char* json_key;  // as kx12rctl's documents name it
  std::uint8_t query;
  std::uint8_t set;
  SettingEncoding encoding;
};

inline constexpr std::array<SettingDescriptor, kSettingsKeyCount> kSettings = {{
    {SettingsKey::kVariant, "Variant", "variant", command::kQueryVariant, command::kSetVariant,
     SettingEncoding::kNumber},
    {SettingsKey::kPrefix, "Prefix", "prefix", command::kQueryPrefix, command::kSetPrefix,
     SettingEncoding::kAffix},
    {SettingsKey::kCodeFormat, "Code_format", "code_format", command::kQueryCodeFormat,
     command::kSetCodeFormat, SettingEncoding::kNumber},
    {SettingsKey::kSuffix, "Suffix", "suffix", command::kQuerySuffix, command::kSetSuffix,
     SettingEncoding::kAffix},
    {SettingsKey::kEnding, "Ending", "ending", command::kQueryEnding, command::kSetEnding,
     SettingEncoding::kEnding},
    {SettingsKey::kBuzzerOff, "buZzer_off", "buzzer_off", command::kQueryBuzzerOff,
     command::kSetBuzzerOff, SettingEncoding::kFlag},
    {SettingsKey::kStandAlone, "standAlone", "stand_alone", command::kQueryStandAlone,
     command::kSetStandAlone, SettingEncoding::kFlag},
    {SettingsKey::kRepeatMessage, "Repeat_message", "repeat", command::kQueryRepeat,
     command::kSetRepeat, SettingEncoding::kFlag},
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

// A prefix or suffix, empty when there is none. One that a settings file gave as none keeps that
// form: the device list shows it, and a file saved from the reader writes it, as the file did.
struct Affix {
  QString text;
  bool none_from_file = false;
  bool operator==(const Affix& other) const { return text == other.text; }
};

// A value a write takes: a number for the variant, the code format and the ending's character
// code; the characters of the prefix and the suffix; whether a flag is set.
using SettingValue = std::variant<int, Affix, bool>;

// The text a write of a setting sends: the one translation of a value to the wire. Nothing when
// the value has no form there: an ending code outside one byte, or a value of another kind than
// the setting's.
std::optional<QString> EncodeSetting(SettingsKey key, const SettingValue& value);

// The eight settings of a reader that answered with a variant, as values.
struct ReaderValues {
  int variant = 0;
  Affix prefix;
  std::optional<int> code_format;  // nothing: the reader gave none
  Affix suffix;
  int ending = 0;  // the ending character's code
  bool buzzer_off = false;
  bool stand_alone = false;
  bool repeat_message = false;

  bool Flag(SettingsKey key) const;
  // The value of a setting, of the kind a write takes.
  SettingValue Get(SettingsKey key) const;
  // Takes a value the reader now holds: one it took on a write.
  void Set(SettingsKey key, const SettingValue& value);
  // Takes a query's reply (its spaces left out): a flag by its letter, the ending by its
  // character's code (a space, left out, is 32), the code format by its number.
  void TakeReply(SettingsKey key, const QString& reply);
  // Whether the reader holds `value` as a write of it would set it.
  bool Holds(SettingsKey key, const SettingValue& value) const;
};

}  // namespace kx12r
