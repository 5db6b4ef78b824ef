#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "base/MessageBox.h"
#include "reader/ConnectedReader.h"
#include "reader/ReaderSettings.h"

namespace kx12r {

// Words shown in place of a value.
inline const QString kNone = QStringLiteral("нет");             // an empty prefix, suffix or value
inline const QString kUnknown = QStringLiteral("не известен");  // a number no name is known for
inline const QString kNotSet = QStringLiteral("не задан");      // a file without the key

// A prefix or suffix as the screens show it: kNone when empty.
inline QString ShownAffix(const QString& text) { return text.isEmpty() ? kNone : text; }
// A prefix or suffix as the device list and a settings file write it: as a file gave it.
inline QString WrittenAffix(const Affix& affix) {
  return affix.none_from_file ? kNone : affix.text;
}
// A flag as the screens show it.
inline QString ShownFlag(bool set) { return set ? QStringLiteral("Да") : QStringLiteral("Нет"); }

// The names of a setting, each in the form the screens that use it have always shown.
struct SettingCaptions {
  const char* named;       // in messages, and on the settings tab's flag boxes
  const char* listed;      // the files tab's preview rows and the settings grid's columns
  const char* short_name;  // kx12rctl's list columns
};

// In the order of SettingsKey.
inline constexpr std::array<SettingCaptions, kSettingsKeyCount> kSettingCaptions = {{
    {"Вариант посылки", "Вариант", "Вариант"},
    {"Префикс", "Префикс", "Префикс"},
    {"Код формата метки", "Формат кода метки", "Формат кода метки"},
    {"Суффикс", "Суффикс", "Суффикс"},
    {"Окончание", "Окончание", "Окончание"},
    {"Отключить Буззер", "Отключить «Буззер»", "Отключить Буззер"},
    {"Разрешить автономную работу", "Разрешить автономную работу", "Автономная работа"},
    {"Разрешить повтор посылки", "Разрешить повтор посылки", "Повтор посылки"},
}};

inline const SettingCaptions& CaptionsOf(SettingsKey key) {
  return kSettingCaptions[static_cast<std::size_t>(key)];
}
inline QString CaptionOf(SettingsKey key) { return QString::fromUtf8(CaptionsOf(key).named); }

// What a user is told of a query a reader refused as an unknown command.
inline QString RefusedQueryText(std::uint8_t code) {
  return QStringLiteral("Конфигуратор ситывателя вернул ошибку. ") + Quoted(QString::number(code)) +
         QStringLiteral(" - неизвестная команда.");
}

// Tells the user, in a box or on kx12rctl's error stream, of each query a reader refused.
inline void TellRefusedQueries(const ConnectedReader& reader) {
  for (std::uint8_t code : reader.refused_queries) {
    ShowMessage(RefusedQueryText(code), kInformationStyle, kMessageTitle);
  }
}

}  // namespace kx12r
