// A settings file's raw bytes (Windows-1251, any line ends, any length), read and validated
// as the files tab does, without a service database. Beyond not crashing:
// - a file validation accepts never makes the apply send a parameter outside what validation
//   allowed;
// - what such a file applies, saved and read back, validates the same and applies the same.
#include "FuzzTarget.h"
#include "files/SettingsFile.h"
#include "reader/DeviceReading.h"

namespace {

using namespace kx12r;

bool IsAffixText(const QString& sent) {
  if (sent == QStringLiteral(" ")) return true;
  if (sent.size() > 5) return false;
  for (QChar c : sent) {
    if (c.unicode() < 32 || c.unicode() > 126) return false;
  }
  return true;
}

void CheckSent(const AppliedParameter& parameter) {
  // A valid file's every value has its form on the wire.
  const std::optional<QString> encoded = EncodeSetting(parameter.key, parameter.value);
  FUZZ_CHECK(encoded.has_value());
  const QString& sent = *encoded;
  bool number = false;
  const int value = sent.toInt(&number);
  switch (parameter.key) {
    case SettingsKey::kVariant:
      FUZZ_CHECK(number && value >= 1 && value <= 8 && sent == QString::number(value));
      break;
    case SettingsKey::kCodeFormat:
      FUZZ_CHECK(number && value >= -32768 && value <= 32767 && sent == QString::number(value));
      break;
    case SettingsKey::kPrefix:
    case SettingsKey::kSuffix:
      FUZZ_CHECK(IsAffixText(sent));
      break;
    case SettingsKey::kEnding:
      FUZZ_CHECK(sent.size() == 1);
      break;
    default:
      FUZZ_CHECK(sent == QStringLiteral(" ") || sent == QString(QChar(parameter.Setting().set)));
      FUZZ_CHECK(std::get<bool>(parameter.value) == (sent != QStringLiteral(" ")));
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const ReferenceNames names(nullptr);
  const ValidatedSettings settings = ValidateSettings(SettingsFileLines(bytes), names);
  const std::vector<AppliedParameter> parameters = ParametersToApply(settings);
  FUZZ_CHECK(parameters.size() == kSettingsKeyCount);
  if (settings.HasInvalidValues()) return 0;
  bool complete = true;
  for (const AppliedParameter& parameter : parameters) {
    if (parameter.missing) {
      complete = false;
      continue;
    }
    CheckSent(parameter);
  }
  if (!complete) return 0;

  // What a reader holds after the apply, saved as the window saves it.
  ReaderValues saved;
  for (const AppliedParameter& parameter : parameters) saved.Set(parameter.key, parameter.value);
  const ValidatedSettings reread =
      ValidateSettings(SettingsFileLines(SettingsFileBytes(saved)), names);
  FUZZ_CHECK(!reread.HasInvalidValues());
  const std::vector<AppliedParameter> again = ParametersToApply(reread);
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    FUZZ_CHECK(again[i].value == parameters[i].value);
  }
  return 0;
}
