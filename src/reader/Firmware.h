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

// Which code formats a reader offers: the basic ones (1 to 8) below firmware 1.82, every one but
// 0 from 1.82, and 0 too on product 00DF from 1.84.
enum class CodeFormatChoice {
  kBelowNineWithoutZero,
  kWithoutZero,
  kAll,
};
CodeFormatChoice CodeFormatsOffered(const QString& version, const QString& product_id);
bool OffersCodeFormat(CodeFormatChoice choice, int id);

}  // namespace kx12r
