// Lookups of code formats, endings, users and setup parameters in the service database.
#include "db/ServiceLookups.h"

#include <limits>

#include "db/ServiceRows.h"

namespace kx12r {

bool IsSixteenBit(long long value) {
  return value >= std::numeric_limits<std::int16_t>::min() &&
         value <= std::numeric_limits<std::int16_t>::max();
}

QString GetCodeVariantName(ServiceDatabase& db, int id) {
  if (!IsSixteenBit(id)) return QString();
  return CellText(
      db.SelectRows(QStringLiteral("SELECT NAME FROM CodeVariantsTable WHERE(ID=?)"), {id}));
}

QString GetEndingKeyName(ServiceDatabase& db, int code) {
  if (!IsSixteenBit(code)) return QString();
  return CellText(db.SelectRows(
      QStringLiteral("SELECT KEY_NAME FROM CodeEndingTable WHERE(CHR_CODE=?)"), {code}));
}

QString GetCodeVariantDescription(ServiceDatabase& db, const QString& name) {
  return CellText(db.SelectRows(
      QStringLiteral("SELECT DESCRIPTION FROM CodeVariantsTable WHERE(NAME=?)"), {name}));
}

bool CodeVariantExists(ServiceDatabase& db, int id) {
  return IsSixteenBit(id) && NumberTaken(db, RowField::kCodeFormatId, id);
}

bool EndingCodeExists(ServiceDatabase& db, int code) {
  return IsSixteenBit(code) && NumberTaken(db, RowField::kEndingCode, code);
}

QString MissingReferenceRows(ServiceDatabase& db) {
  const auto empty = [&db](const QString& table) {
    return CellText(db.SelectRows(QStringLiteral("SELECT COUNT(*) FROM ") + table)) ==
           QStringLiteral("0");
  };
  QStringList missing;
  if (empty(QStringLiteral("CodeVariantsTable"))) missing << QStringLiteral("форматов кода метки");
  if (empty(QStringLiteral("CodeEndingTable"))) missing << QStringLiteral("окончаний");
  if (missing.isEmpty()) return QString();
  return QStringLiteral("В служебной базе данных нет ") + missing.join(QStringLiteral(" и ")) +
         QStringLiteral(
             ": файл настроек не может быть проверен. Операция не может быть "
             "выполнена.");
}

QString GetSetupValue(ServiceDatabase& db, const QString& name) {
  return db.SelectValue(
      {.Table = "SetupTable", .Field = "P_VAL", .KeyField = "P_NAME", .KeyValue = name});
}

QString GetSetupCaption(ServiceDatabase& db, const QString& name) {
  return db.SelectValue(
      {.Table = "SetupTable", .Field = "P_CAPTION", .KeyField = "P_NAME", .KeyValue = name});
}

}  // namespace kx12r
