#pragma once

#include <QString>

#include "reader/ReaderSettings.h"
#include "shown/ShownSettings.h"

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

// Row r shows message variant r; the last one is the changeable variant 8. A column's caption is
// padded to the width the column starts with.
inline QString SettingsGridCaptions() {
  const auto caption = [](SettingsKey key, int width) {
    return QString::fromUtf8(CaptionsOf(key).listed).leftJustified(width);
  };
  return QStringLiteral("_|№|") + caption(SettingsKey::kPrefix, 9) + QStringLiteral("|") +
         caption(SettingsKey::kCodeFormat, 24) + QStringLiteral("|") +
         caption(SettingsKey::kSuffix, 9) + QStringLiteral("|") + caption(SettingsKey::kEnding, 9) +
         QStringLiteral("|Dvar");
}

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
