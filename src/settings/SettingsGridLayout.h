#pragma once

#include <QString>
#include <array>

#include "reader/ReaderSettings.h"

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

// What the reader's fixed variants 1 to 7 send; nothing where they send none (shown kNone).
struct FixedVariant {
  const char* prefix;
  const char* code_format;
  const char* suffix;
  const char* ending;
};
inline constexpr std::array<FixedVariant, kFixedVariants> kFixedVariantRows = {{
    {nullptr, "5x8b_DEC", nullptr, nullptr},
    {nullptr, "5x8b_DEC", nullptr, "Enter"},
    {";", "5x8b_DEC", "?", "Enter"},
    {nullptr, "40b_DEC", nullptr, "Enter"},
    {";", "40b_DEC", "?", "Enter"},
    {nullptr, "32b_DEC", nullptr, "Enter"},
    {nullptr, "40bm_DEC", nullptr, "Enter"},
}};

// The setting edited in a settings-grid column.
inline SettingsKey EditedSettingOf(int grid_column) {
  switch (grid_column) {
    case kGridPrefix:
      return SettingsKey::kPrefix;
    case kGridCodeFormat:
      return SettingsKey::kCodeFormat;
    case kGridSuffix:
      return SettingsKey::kSuffix;
    default:
      return SettingsKey::kEnding;
  }
}

}  // namespace kx12r
