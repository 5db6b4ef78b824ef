#pragma once

#include <QString>
#include <chrono>
#include <cstdint>

#include "base/NumericText.h"
#include "reader/ConnectedReader.h"
#include "reader/HidLibrary.h"

namespace kx12r {

// Told when no reader is connected.
inline const QString kNoDevices = QStringLiteral("Нет подключенных устройств");

// Reads a device's identity and, for a configurable reader the program may open, its settings
// with the queries v z a r p c s e.
ConnectedReader ReadConnectedReader(HidLibrary& hid, const HidDeviceInfo& device);
// A reader known already, its settings read anew.
ConnectedReader ReadSettingsAgain(HidLibrary& hid, const ConnectedReader& known);

// Whether the readers' udev rule is installed where udev reads it: the package's place
// (/usr/lib/udev/rules.d) or the administrator's (/etc/udev/rules.d).
bool ReaderRuleInstalled();

// What a user is told about a reader the system does not let the program open, with the fix
// that matches the installation: re-plugging the reader (or logging in again) when the rule is
// there, installing the rule when it is not.
QString NoAccessMessage(const QString& product_id, const QString& serial_number,
                        bool rule_installed = ReaderRuleInstalled());
QString NoAccessMessage(const ConnectedReader& reader);

}  // namespace kx12r
