#pragma once

#include <QtCore/qnamespace.h>

#include <array>
#include <cstdint>
#include <optional>

#include "reader/KeyboardText.h"

namespace kx12r {

// The keys a reader sends that type no character, as the window system names them and as a
// keyboard report does. The first entry of a usage is the key a demo reader's key becomes.
struct NamedKey {
  int qt_key;
  std::uint8_t usage;
};
inline constexpr std::array kNamedKeys = {
    NamedKey{Qt::Key_Return, kUsageEnter},  NamedKey{Qt::Key_Enter, kUsageEnter},
    NamedKey{Qt::Key_Tab, kUsageTab},       NamedKey{Qt::Key_Backtab, kUsageTab},
    NamedKey{Qt::Key_Escape, kUsageEscape}, NamedKey{Qt::Key_Backspace, kUsageBackspace},
    NamedKey{Qt::Key_Space, kUsageSpace},
};

inline std::optional<std::uint8_t> UsageOfQtKey(int qt_key) {
  for (const NamedKey& key : kNamedKeys) {
    if (key.qt_key == qt_key) return key.usage;
  }
  return std::nullopt;
}

inline std::optional<int> QtKeyOfUsage(std::uint8_t usage) {
  for (const NamedKey& key : kNamedKeys) {
    if (key.usage == usage) return key.qt_key;
  }
  return std::nullopt;
}

}  // namespace kx12r
