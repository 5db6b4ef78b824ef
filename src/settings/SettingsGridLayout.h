#pragma once

#include <QString>

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

// Row r shows message variant r; the last one is the changeable variant 8.
inline constexpr char kSettingsGridCaptions[] =
    "_|№|Префикс  |Формат кода метки       |Суффикс  |Окончание|Dvar";

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
