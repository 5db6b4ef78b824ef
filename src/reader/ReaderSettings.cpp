// How each of the eight settings is written to a reader and cached.
#include "reader/ReaderSettings.h"

#include <limits>

#include "base/SingleByteText.h"

namespace kx12r {

std::optional<SettingWrite> EncodeSetting(SettingsKey key, const SettingValue& value) {
  const SettingDescriptor& setting = SettingOf(key);
  switch (setting.encoding) {
    case SettingEncoding::kNumber:
      if (const int* number = std::get_if<int>(&value)) {
        return SettingWrite{QString::number(*number), QString::number(*number)};
      }
      break;
    case SettingEncoding::kAffix:
      if (const QString* text = std::get_if<QString>(&value)) {
        const bool empty = text->isEmpty() || *text == kNone;
        return SettingWrite{empty ? QStringLiteral(" ") : *text, *text};
      }
      break;
    case SettingEncoding::kEnding:
      if (const int* code = std::get_if<int>(&value);
          code && *code >= 0 && *code <= std::numeric_limits<unsigned char>::max()) {
        return SettingWrite{FromSingleByte(std::string(1, static_cast<char>(*code))),
                            QString::number(*code)};
      }
      break;
    case SettingEncoding::kFlag:
      if (const bool* set = std::get_if<bool>(&value)) {
        return SettingWrite{*set ? QString(QChar(setting.set)) : QStringLiteral(" "),
                            FlagCell(*set)};
      }
      break;
  }
  return std::nullopt;
}

QString CachedFromReply(SettingsKey key, const QString& reply) {
  const SettingDescriptor& setting = SettingOf(key);
  switch (setting.encoding) {
    case SettingEncoding::kFlag:
      return FlagCell(reply == QString(QChar(setting.set)));
    case SettingEncoding::kEnding:
      if (reply.isEmpty()) return QStringLiteral("32");
      return QString::number(static_cast<unsigned char>(ToSingleByte(reply.left(1)).front()));
    default:
      return reply;
  }
}

QString FlagCell(bool set) { return set ? QStringLiteral("-1") : QStringLiteral("0"); }

}  // namespace kx12r
