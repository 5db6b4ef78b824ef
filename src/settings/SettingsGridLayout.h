#pragma once

#include <QString>
#include <array>

#include "link/ReaderLink.h"

namespace kx12r {

// Columns of the settings grid.
enum SettingsGridColumn {
  kGridMark = 0,
  kGridNumber,
  kGridPrefix,
  kGridCodeFormat,
  kGridSuffix,
  kGridEnding,
  kGridHint,
};

inline constexpr char kSettingsGridCaptions[] =
    "_|№|Префикс  |Формат кода метки       |Суффикс  |Окончание|Dvar";

// Row r shows message variant r; the last one is the changeable variant 8.
inline constexpr int kFixedVariants = 7;
inline constexpr int kChangeableVariant = 8;

// Words of the grid.
inline const QString kNone = QStringLiteral("нет");
inline const QString kUnknown = QStringLiteral("не известен");

// What the reader's fixed variants 1 to 7 send.
struct FixedVariant {
  const char* prefix;
  const char* code_format;
  const char* suffix;
  const char* ending;
};
inline constexpr std::array<FixedVariant, kFixedVariants> kFixedVariantRows = {{
    {"нет", "5x8b_DEC", "нет", "нет"},
    {"нет", "5x8b_DEC", "нет", "Enter"},
    {";", "5x8b_DEC", "?", "Enter"},
    {"нет", "40b_DEC", "нет", "Enter"},
    {";", "40b_DEC", "?", "Enter"},
    {"нет", "32b_DEC", "нет", "Enter"},
    {"нет", "40bm_DEC", "нет", "Enter"},
}};

// The device-list column that caches the setting edited in a settings-grid column, and the
// command that writes it.
struct EditedSetting {
  int device_column;
  std::uint8_t command;
};
inline EditedSetting EditedSettingOf(int grid_column) {
  switch (grid_column) {
    case kGridPrefix:
      return {kColPrefix, command::kSetPrefix};
    case kGridCodeFormat:
      return {kColEncoding, command::kSetCodeFormat};
    case kGridSuffix:
      return {kColSuffix, command::kSetSuffix};
    default:
      return {kColEnding, command::kSetEnding};
  }
}

}  // namespace kx12r
