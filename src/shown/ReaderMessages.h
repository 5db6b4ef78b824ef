#pragma once

#include <QString>

#include "reader/ConnectedReader.h"

namespace kx12r {

// Told when no reader is connected.
inline const QString kNoDevices = QStringLiteral("Нет подключенных устройств");

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
