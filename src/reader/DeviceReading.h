#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <cstdint>

#include "reader/CachedReader.h"
#include "reader/DeviceColumns.h"
#include "reader/HidLibrary.h"

namespace kx12r {

inline constexpr int kDeviceColumnCount = kColEnding + 1;

// What discovery learns of one HID device: the texts of its device-list row, and whether it is
// a reader to list (ours, and either answering with a variant or too old to be asked).
struct DeviceRecord {
  std::array<QString, kDeviceColumnCount> cells;
  bool is_reader = false;
  // A configurable reader that gave no answer at all to v: it may still be starting.
  bool silent = false;
  const QString& operator[](int column) const { return cells[column]; }
  // The cells read as values, for as long as the record lives.
  CachedReader Cached() const {
    return CachedReader([this](int column) { return cells[column]; });
  }
};

// Told when no reader is connected.
inline const QString kNoDevices = QStringLiteral("Нет подключенных устройств");

// How long a reader that gives no answer at all may still be starting (readers restart after
// some commands, and answer a while after their node appears): it is asked again meanwhile
// before it is left hidden.
inline constexpr std::chrono::seconds kLateReaderGrace{5};

// Reads a device's identity and, for a configurable reader, its settings with the queries
// v z a r p c s e.
DeviceRecord ReadDevice(HidLibrary& hid, int handle);

// Four upper-case hexadecimal digits: "04D8" for 0x4D8.
QString HexWord(std::uint16_t value);
// The firmware version text of a release number: 0x0170 gives "1.70", 0x0096 "0.96".
QString VersionText(std::uint16_t release);
// Whether the text equals one entry of the list.
bool InList(const QString& text, const QStringList& list);
// The product ids of readers as the device list shows them.
const QStringList& ReaderProductTexts();

// Whether the readers' udev rule is installed where udev reads it: the package's place
// (/usr/lib/udev/rules.d) or the administrator's (/etc/udev/rules.d).
bool ReaderRuleInstalled();

// What a user is told about a reader the system does not let the program open, with the fix
// that matches the installation: re-plugging the reader (or logging in again) when the rule is
// there, installing the rule when it is not.
QString NoAccessMessage(const QString& product_id, const QString& serial_number,
                        bool rule_installed = ReaderRuleInstalled());

}  // namespace kx12r
