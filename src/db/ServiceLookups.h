#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "db/ServiceDatabase.h"
#include "reader/Firmware.h"

namespace kx12r {

inline constexpr char kCardsAdvertisingUrl[] = "CARDS_ADVERTISING_URL";

// Code-format numbers and ending codes are 16-bit: a number outside -32768..32767 names no row.
QString GetCodeVariantName(ServiceDatabase& db, int id);
QString GetEndingKeyName(ServiceDatabase& db, int code);
QString GetCodeVariantDescription(ServiceDatabase& db, const QString& name);
bool CodeVariantExists(ServiceDatabase& db, int id);
bool EndingCodeExists(ServiceDatabase& db, int code);
QString GetSetupValue(ServiceDatabase& db, const QString& name);
// Why no settings file can be judged: the database has no code formats, or no endings; empty
// when it has both (or the lookup failed, which is told as the failure it is).
QString MissingReferenceRows(ServiceDatabase& db);
QString GetSetupCaption(ServiceDatabase& db, const QString& name);

// Whether a number fits the 16 bits the editors and lookups hold.
bool IsSixteenBit(long long value);

}  // namespace kx12r
