#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "db/ServiceDatabase.h"
#include "reader/Firmware.h"

namespace kx12r {

// The rows of the service database as the program reads and edits them. Each keeps its key as
// the database gives it; the editors hold keys as 16-bit numbers (EditorKey). A null number
// reads as 0 and a null text as empty text.

// What a user edits in a row.
enum class RowField {
  kCodeFormatId,
  kCodeFormatName,
  kCodeFormatDescription,
  kEndingCode,
  kEndingName,
  kUserName,
  kUserPassword,
  kSetupName,
  kSetupValue,
  kSetupNote,
};

struct CodeFormatRow {
  QString key;
  long long id = 0;
  QString name;
  QString description;
  void Set(RowField field, const QString& text);
};

// Its key is its place in the list of endings.
struct EndingRow {
  QString key;
  long long code = 0;
  QString name;
  void Set(RowField field, const QString& text);
};

// The password is never read into a row.
struct UserRow {
  QString key;
  QString name;
  void Set(RowField field, const QString& text);
};

// Its key is the name the program looks it up by; `name` is what the page shows it as.
struct SetupRow {
  QString key;
  QString name;
  QString value;
  QString note;
  void Set(RowField field, const QString& text);
};

// Every row of a table, in the order the database page lists them (users and setup parameters
// as a Russian reader sorts their names); empty when there is none or the read failed, which is
// told as the failure it is.
std::vector<CodeFormatRow> ReadCodeFormats(ServiceDatabase& db);
std::vector<EndingRow> ReadEndings(ServiceDatabase& db);
std::vector<UserRow> ReadUsers(ServiceDatabase& db);
std::vector<SetupRow> ReadSetupParameters(ServiceDatabase& db);

// The code formats a reader offers, by number. A row without a number cannot be sent to a
// reader, so none offers it.
std::vector<CodeFormatRow> CodeFormatChoices(ServiceDatabase& db, CodeFormatChoice choice);
// The endings that can be chosen, in list order: one without a code cannot be sent to a reader,
// and one without a name shows nothing to pick.
std::vector<EndingRow> EndingChoices(ServiceDatabase& db);

// Tells the user of an edit that cannot be done, as a failure of the database is told.
void ReportOperationFailure(const QString& description);

// A row key as the editors hold it: a key outside the 16-bit range cannot be held
// ("Переполнение"), a key that is no number is a type mismatch; both are told as a failed
// operation.
std::optional<std::int16_t> EditorKey(const QString& key);

// The four tables, for adding and removing rows.
enum class ServiceTable { kCodeFormats, kEndings, kUsers, kSetup };

// Adds a row with the table's defaults; its key, nothing when the database refused.
std::optional<QString> AddRow(ServiceDatabase& db, ServiceTable table);
// Removes the row with `key`; a key that matches no row is a failure.
bool DeleteRow(ServiceDatabase& db, ServiceTable table, const QString& key);
// Stores `text` (empty: nothing) in a field of the row with `key`.
bool StoreField(ServiceDatabase& db, RowField field, const QString& key, const QString& text);
// Whether another code format already has the number (or another ending the code) `number`.
bool NumberTaken(ServiceDatabase& db, RowField field, long long number);
// Whether a user has this password.
bool PasswordKnown(ServiceDatabase& db, const QString& password);

}  // namespace kx12r
