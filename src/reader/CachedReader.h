#pragma once

#include <QString>
#include <functional>
#include <utility>

#include "reader/ReaderSettings.h"

namespace kx12r {

// A cached number (variant, code format, ending code, handle) and a cached flag, as read back.
int CachedNumber(const QString& cell);
bool CachedFlag(const QString& cell);

// One reader's device-list row read as values. The device list caches texts, as the screens
// show them; this is the one place they are read back as numbers and flags.
class CachedReader {
 public:
  // `cell` gives the text of a column of the row, read when asked.
  explicit CachedReader(std::function<QString(int column)> cell) : cell_(std::move(cell)) {}

  QString Text(int column) const { return cell_(column); }
  QString Text(SettingsKey key) const { return Text(SettingOf(key).device_column); }

  int Handle() const { return CachedNumber(Text(kColHandle)); }
  // The active variant; 0 for a device that is no reader to configure.
  int Variant() const { return Number(SettingsKey::kVariant); }
  bool Configurable() const { return Variant() > 0; }
  // The variant, the code format or the ending's character code.
  int Number(SettingsKey key) const { return CachedNumber(Text(key)); }
  bool Flag(SettingsKey key) const { return CachedFlag(Text(key)); }

 private:
  std::function<QString(int column)> cell_;
};

}  // namespace kx12r
