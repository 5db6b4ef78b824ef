// The service database's rows, read and edited by what they hold.
#include "db/ServiceRows.h"

#include <QRegularExpression>

#include "base/MessageBox.h"
#include "db/ServiceLookups.h"

namespace kx12r {
namespace {

// Each table and its key column, in the order of ServiceTable.
struct TablePlace {
  const char* table;
  const char* key;
};
constexpr TablePlace kTables[] = {{"CodeVariantsTable", "KEY"},
                                  {"CodeEndingTable", "END_ORDER"},
                                  {"UsersTable", "KEY"},
                                  {"SetupTable", "P_NAME"}};

// Where each field is kept, in the order of RowField.
struct FieldPlace {
  ServiceTable table;
  const char* column;
};
constexpr FieldPlace kFields[] = {{ServiceTable::kCodeFormats, "ID"},
                                  {ServiceTable::kCodeFormats, "NAME"},
                                  {ServiceTable::kCodeFormats, "DESCRIPTION"},
                                  {ServiceTable::kEndings, "CHR_CODE"},
                                  {ServiceTable::kEndings, "KEY_NAME"},
                                  {ServiceTable::kUsers, "USER_NAME"},
                                  {ServiceTable::kUsers, "USER_PWD"},
                                  {ServiceTable::kSetup, "P_CAPTION"},
                                  {ServiceTable::kSetup, "P_VAL"},
                                  {ServiceTable::kSetup, "P_NOTE"}};

const TablePlace& TableOf(ServiceTable table) { return kTables[static_cast<int>(table)]; }
const FieldPlace& FieldOf(RowField field) { return kFields[static_cast<int>(field)]; }

// Reads the rows a statement gives, one row of its result to each.
template <typename Row, typename Make>
std::vector<Row> ReadRows(ServiceDatabase& db, const QString& sql, Make make) {
  const std::optional<Rows> rows = db.SelectRows(sql);
  std::vector<Row> read;
  if (!rows) return read;
  const std::size_t count = rows->front().size();
  for (std::size_t row = 0; row < count; ++row) {
    read.push_back(make([&](std::size_t field) { return CellText(rows, field, row); }));
  }
  return read;
}

long long Number(const QString& text) { return text.toLongLong(); }

std::vector<CodeFormatRow> ReadCodeFormatRows(ServiceDatabase& db, const QString& sql) {
  return ReadRows<CodeFormatRow>(db, sql, [](auto cell) {
    return CodeFormatRow{cell(0), Number(cell(1)), cell(2), cell(3)};
  });
}

std::vector<EndingRow> ReadEndingRows(ServiceDatabase& db, const QString& sql) {
  return ReadRows<EndingRow>(db, sql, [](auto cell) {
    return EndingRow{cell(0), Number(cell(1)), cell(2)};
  });
}

}  // namespace

void ReportOperationFailure(const QString& description) {
  ShowMessage(OperationFailureText(description), kStopStyle, kEngineErrorTitle);
}

void CodeFormatRow::Set(RowField field, const QString& text) {
  if (field == RowField::kCodeFormatId) id = Number(text);
  if (field == RowField::kCodeFormatName) name = text;
  if (field == RowField::kCodeFormatDescription) description = text;
}

void EndingRow::Set(RowField field, const QString& text) {
  if (field == RowField::kEndingCode) code = Number(text);
  if (field == RowField::kEndingName) name = text;
}

void UserRow::Set(RowField field, const QString& text) {
  if (field == RowField::kUserName) name = text;
}

void SetupRow::Set(RowField field, const QString& text) {
  if (field == RowField::kSetupName) name = text;
  if (field == RowField::kSetupValue) value = text;
  if (field == RowField::kSetupNote) note = text;
}

std::vector<CodeFormatRow> ReadCodeFormats(ServiceDatabase& db) {
  return ReadCodeFormatRows(
      db, QStringLiteral("SELECT KEY, IFNULL(ID,0), IFNULL(NAME,''), IFNULL(DESCRIPTION,'') "
                         "FROM CodeVariantsTable ORDER BY ID"));
}

std::vector<EndingRow> ReadEndings(ServiceDatabase& db) {
  return ReadEndingRows(db, QStringLiteral("SELECT END_ORDER, IFNULL(CHR_CODE,0), "
                                           "IFNULL(KEY_NAME,'') FROM CodeEndingTable "
                                           "ORDER BY END_ORDER"));
}

std::vector<UserRow> ReadUsers(ServiceDatabase& db) {
  return ReadRows<UserRow>(db,
                           QStringLiteral("SELECT KEY, IFNULL(USER_NAME,'') FROM UsersTable "
                                          "ORDER BY USER_NAME COLLATE RUSSIAN"),
                           [](auto cell) {
                             return UserRow{cell(0), cell(1)};
                           });
}

std::vector<SetupRow> ReadSetupParameters(ServiceDatabase& db) {
  return ReadRows<SetupRow>(
      db,
      QStringLiteral("SELECT IFNULL(P_NAME,''), IFNULL(P_CAPTION,''), IFNULL(P_VAL,''), "
                     "IFNULL(P_NOTE,'') FROM SetupTable ORDER BY P_CAPTION COLLATE RUSSIAN"),
      [](auto cell) {
        return SetupRow{cell(0), cell(1), cell(2), cell(3)};
      });
}

std::vector<CodeFormatRow> CodeFormatChoices(ServiceDatabase& db, CodeFormatChoice choice) {
  const QString filter = choice == CodeFormatChoice::kBelowNineWithoutZero ? "WHERE(ID<9 AND ID<>0)"
                         : choice == CodeFormatChoice::kWithoutZero        ? "WHERE(ID<>0)"
                                                                    : "WHERE(ID IS NOT NULL)";
  return ReadCodeFormatRows(
      db, QStringLiteral("SELECT KEY, ID, NAME, DESCRIPTION FROM CodeVariantsTable ") + filter +
              QStringLiteral(" ORDER BY ID"));
}

std::vector<EndingRow> EndingChoices(ServiceDatabase& db) {
  return ReadEndingRows(
      db, QStringLiteral("SELECT END_ORDER, CHR_CODE, IFNULL(KEY_NAME,'') FROM CodeEndingTable "
                         "WHERE(CHR_CODE IS NOT NULL AND IFNULL(KEY_NAME,'')<>'') "
                         "ORDER BY END_ORDER"));
}

std::optional<std::int16_t> EditorKey(const QString& key) {
  bool ok = false;
  const long long value = key.trimmed().toLongLong(&ok);
  if (ok && IsSixteenBit(value)) return static_cast<std::int16_t>(value);
  const bool whole_number =
      ok || QRegularExpression(QStringLiteral(R"(^\s*[+-]?\d+\s*$)")).match(key).hasMatch();
  ReportOperationFailure(whole_number ? QStringLiteral("Переполнение")
                                      : QStringLiteral("Несоответствие типов"));
  return std::nullopt;
}

std::optional<QString> AddRow(ServiceDatabase& db, ServiceTable table) {
  DbRequest request{.Table = TableOf(table).table, .KeyField = TableOf(table).key};
  if (!db.InsertRecord(request)) return std::nullopt;
  return request.KeyValue;
}

bool DeleteRow(ServiceDatabase& db, ServiceTable table, const QString& key) {
  return db.DeleteRecord(
      {.Table = TableOf(table).table, .KeyField = TableOf(table).key, .KeyValue = key});
}

bool StoreField(ServiceDatabase& db, RowField field, const QString& key, const QString& text) {
  const TablePlace& table = TableOf(FieldOf(field).table);
  return db.UpdateField({.Table = table.table,
                         .Field = FieldOf(field).column,
                         .Value = text,
                         .KeyField = table.key,
                         .KeyValue = key});
}

bool NumberTaken(ServiceDatabase& db, RowField field, long long number) {
  return db.RecordExists({.Table = TableOf(FieldOf(field).table).table,
                          .KeyField = FieldOf(field).column,
                          .KeyValue = QString::number(number)});
}

bool PasswordKnown(ServiceDatabase& db, const QString& password) {
  const FieldPlace& field = FieldOf(RowField::kUserPassword);
  return db.RecordExists(
      {.Table = TableOf(field.table).table, .KeyField = field.column, .KeyValue = password});
}

}  // namespace kx12r
