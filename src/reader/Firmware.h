#pragma once

#include <QString>

#include "base/NumericText.h"

namespace kx12r {

// Readers from this firmware on can be configured.
inline constexpr double kFirstConfigurableFirmware = 1.70;

// A version text "d.dd" read as a number; empty or non-numeric text reads as 0.
inline double FirmwareNumber(const QString& version) { return LeadingNumber(version); }

inline bool IsConfigurableFirmware(const QString& version) {
  return FirmwareNumber(version) >= kFirstConfigurableFirmware;
}

// The warning for a reader whose firmware cannot be configured, by its version text.
QString FirmwareWarningText(const QString& version);

}  // namespace kx12r
