#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "db/ServiceDatabase.h"
#include "reader/Firmware.h"

namespace kx12r {

inline constexpr char kCardsAdvertisingUrl[] = "CARDS_ADVERTISING_URL";

// Statements of the choice lists and editor grids; a null number reads as 0, a null text as
// empty text.
namespace service_sql {
// An ending without a code cannot be sent to a reader, and one without a name cannot be chosen
// (its row shows nothing to pick), so the list leaves both out.
inline const QString kEndingChoices = QStringLiteral(
    "SELECT CHR_CODE, IFNULL(KEY_NAME,'') FROM CodeEndingTable "
    "WHERE(CHR_CODE IS NOT NULL AND IFNULL(KEY_NAME,'')<>'') ORDER BY END_ORDER");
inline const QString kCodeVariantsGrid = QStringLiteral(
    "SELECT KEY, IFNULL(ID,0), IFNULL(NAME,''), IFNULL(DESCRIPTION,'') FROM CodeVariantsTable "
    "ORDER BY ID");
inline const QString kEndingsGrid = QStringLiteral(
    "SELECT END_ORDER, IFNULL(CHR_CODE,0), IFNULL(KEY_NAME,'') FROM CodeEndingTable "
    "ORDER BY END_ORDER");
// Names sort as a Russian reader expects them (kRussianCollation).
inline const QString kUsersGrid = QStringLiteral(
    "SELECT KEY, IFNULL(USER_NAME,'') FROM UsersTable ORDER BY USER_NAME COLLATE RUSSIAN");
inline const QString kSetupGrid = QStringLiteral(
    "SELECT IFNULL(P_NAME,''), IFNULL(P_CAPTION,''), IFNULL(P_VAL,''), IFNULL(P_NOTE,'') "
    "FROM SetupTable ORDER BY P_CAPTION COLLATE RUSSIAN");
}  // namespace service_sql

// Number, name and description of each code format a reader offers, by number.
std::optional<Rows> SelectCodeFormatChoices(ServiceDatabase& db, CodeFormatChoice choice);

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
