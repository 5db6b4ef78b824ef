// How each of the eight settings goes to a reader and comes back from it.
#include "reader/ReaderSettings.h"

#include <limits>

#include "base/NumericText.h"
#include "base/SingleByteText.h"

namespace kx12r {
namespace {

constexpr int kSpaceCode = 32;

}  // namespace

std::optional<QString> EncodeSetting(SettingsKey key, const SettingValue& value) {
  const SettingDescriptor& setting = SettingOf(key);
  switch (setting.encoding) {
    case SettingEncoding::kNumber:
      if (const int* number = std::get_if<int>(&value)) return QString::number(*number);
      break;
    case SettingEncoding::kAffix:
      if (const Affix* affix = std::get_if<Affix>(&value)) {
        return affix->text.isEmpty() ? QStringLiteral(" ") : affix->text;
      }
      break;
    case SettingEncoding::kEnding:
      if (const int* code = std::get_if<int>(&value);
          code && *code >= 0 && *code <= std::numeric_limits<unsigned char>::max()) {
        return FromSingleByte(std::string(1, static_cast<char>(*code)));
      }
      break;
    case SettingEncoding::kFlag:
      if (const bool* set = std::get_if<bool>(&value)) {
        return *set ? QString(QChar(setting.set)) : QStringLiteral(" ");
      }
      break;
  }
  return std::nullopt;
}

bool ReaderValues::Flag(SettingsKey key) const {
  const SettingValue value = Get(key);
  const bool* flag = std::get_if<bool>(&value);
  return flag != nullptr && *flag;
}

SettingValue ReaderValues::Get(SettingsKey key) const {
  switch (key) {
    case SettingsKey::kVariant:
      return variant;
    case SettingsKey::kPrefix:
      return prefix;
    case SettingsKey::kCodeFormat:
      return code_format.value_or(0);
    case SettingsKey::kSuffix:
      return suffix;
    case SettingsKey::kEnding:
      return ending;
    case SettingsKey::kBuzzerOff:
      return buzzer_off;
    case SettingsKey::kStandAlone:
      return stand_alone;
    case SettingsKey::kRepeatMessage:
      return repeat_message;
  }
  return variant;
}

void ReaderValues::Set(SettingsKey key, const SettingValue& value) {
  const int* number = std::get_if<int>(&value);
  const Affix* affix = std::get_if<Affix>(&value);
  const bool* flag = std::get_if<bool>(&value);
  switch (key) {
    case SettingsKey::kVariant:
      if (number) variant = *number;
      break;
    case SettingsKey::kPrefix:
      if (affix) prefix = *affix;
      break;
    case SettingsKey::kCodeFormat:
      if (number) code_format = *number;
      break;
    case SettingsKey::kSuffix:
      if (affix) suffix = *affix;
      break;
    case SettingsKey::kEnding:
      if (number) ending = *number;
      break;
    case SettingsKey::kBuzzerOff:
      if (flag) buzzer_off = *flag;
      break;
    case SettingsKey::kStandAlone:
      if (flag) stand_alone = *flag;
      break;
    case SettingsKey::kRepeatMessage:
      if (flag) repeat_message = *flag;
      break;
  }
}

void ReaderValues::TakeReply(SettingsKey key, const QString& reply) {
  const SettingDescriptor& setting = SettingOf(key);
  switch (setting.encoding) {
    case SettingEncoding::kFlag:
      Set(key, reply == QString(QChar(setting.set)));
      break;
    case SettingEncoding::kEnding:
      Set(key, reply.isEmpty() ? kSpaceCode
                               : static_cast<unsigned char>(ToSingleByte(reply.left(1)).front()));
      break;
    case SettingEncoding::kAffix:
      Set(key, Affix{reply});
      break;
    case SettingEncoding::kNumber:
      if (key == SettingsKey::kCodeFormat && reply.isEmpty()) {
        code_format.reset();
      } else {
        Set(key, LeadingInteger(reply));
      }
      break;
  }
}

bool ReaderValues::Holds(SettingsKey key, const SettingValue& value) const {
  if (key == SettingsKey::kCodeFormat && !code_format) return false;
  return Get(key) == value;
}

}  // namespace kx12r
