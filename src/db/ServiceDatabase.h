#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "base/MessageBox.h"

namespace kx12r {

inline constexpr char kDatabaseFileName[] = "kx12rConfig.db";

// The service database file of the program in `program_folder` (see ServiceDataFolder).
QString GetDatabasePath(const QString& program_folder);

// Why the user cannot change the database file at `path` (the file, or the folder where SQLite
// writes its journal, beside the real file when `path` is a link); empty when they can.
QString WhyDatabaseIsReadOnly(const QString& path);

// A keyed request. Table and column names are program constants; values are always bound.
struct DbRequest {
  QString Table;
  QString Field;     // the column read (SelectValue) or written (UpdateField)
  QString Value;     // the new value of UpdateField; empty stores a null
  QString KeyField;  // the column of the condition; for InsertRecord the key column
  QString KeyValue;  // the value of the condition; InsertRecord puts the new key here
};

// Query results indexed by field, then by row.
using Rows = std::vector<std::vector<QVariant>>;

// A cell of a result as text: empty for no result, a cell out of range, or a null.
QString CellText(const std::optional<Rows>& rows, std::size_t field = 0, std::size_t row = 0);

// How long a statement waits for another program's lock on the file before it fails.
inline constexpr std::chrono::milliseconds kDatabaseBusyTimeout{1000};

// The collation of names as a Russian reader sorts them: case-insensitive, Ё with Е.
inline constexpr char kRussianCollation[] = "RUSSIAN";

// The one connection to the service database: opened on first use, read-only for a user
// without administrator rights, kept until Close. Every failure is answered with the
// operation's failure value and handed, worded for the user, to whoever TellFaultsTo names. Keys
// are compared as numbers in the numeric key columns (KEY, ID, CHR_CODE, END_ORDER) and as the
// exact text everywhere else.
class ServiceDatabase {
 public:
  ServiceDatabase(QString path, bool read_only,
                  std::chrono::milliseconds busy_timeout = kDatabaseBusyTimeout);
  ~ServiceDatabase();
  ServiceDatabase(const ServiceDatabase&) = delete;
  ServiceDatabase& operator=(const ServiceDatabase&) = delete;

  const QString& Path() const { return path_; }
  bool IsOpen() const { return open_; }
  // Whether any failure has been met since the connection was made: a program that must not
  // go on with what a failing database gave asks this.
  bool HadFailure() const { return failures_ > 0; }
  // How many failures have been met: a caller that must tell a failed lookup from an empty one
  // compares it before and after.
  int Failures() const { return failures_; }
  // How many times a statement waited out the busy timeout on another program's lock.
  int LockWaits() const { return lock_waits_; }
  // Who is told of each failure as it happens, the same one once a user action (the lookups of
  // one screen that fail alike make one message; the notice's own box is part of the action);
  // nobody until set.
  void TellFaultsTo(std::function<void(const Notice&)> tell) { tell_ = std::move(tell); }

  // Why the file cannot be used: the engine's reason, and whether another program holds a lock
  // on it (the busy timeout passed).
  struct OpenFailure {
    QString reason;
    bool locked = false;
  };
  // Opens the file now, without telling the user anything: a program that reports faults its
  // own way asks this first.
  std::optional<OpenFailure> TryOpen();
  void Close();

  // At most 100000 rows; nothing when no row matched or the statement failed.
  std::optional<Rows> SelectRows(const QString& sql, const QVariantList& values = {});
  // Adds a row with the table's defaults and puts its new key into KeyValue.
  bool InsertRecord(DbRequest& request);
  // Changes Field of the first row matching the key (null when Value is empty); no match is
  // no change and still a success.
  bool UpdateField(const DbRequest& request);
  bool RecordExists(const DbRequest& request);
  // Removes the first row whose key equals KeyValue; a key that matches no row is an error.
  bool DeleteRecord(const DbRequest& request);
  // Field of the one matching row; empty text for no row, and for several, which is reported.
  QString SelectValue(const DbRequest& request);

 private:
  struct Condition {
    QString text;
    QVariantList values;
  };
  enum class KeyForms { kNullNumericText, kNumericText };

  bool EnsureConnection();
  // Opens the file and checks that it holds the four tables.
  std::optional<OpenFailure> Open();
  // The connection is open and the names are plain table and column names.
  bool Ready(std::initializer_list<QString> names);
  QSqlQuery NewQuery() const;
  // Prepares, binds and runs a statement; a failure is reported with the engine's reason.
  bool Run(QSqlQuery& query, const QString& sql, const QVariantList& values);
  // Hands a failure on, but not the same one twice for one user action.
  void Tell(const QString& text, int style, const QString& title);
  void TellFailure(const QString& description);
  // The file is no service database (any more): told once until the fault changes.
  void TellBroken(const QString& reason);
  static Condition Where(const DbRequest& request, KeyForms forms);
  // The file was found locked: the rest of this user action does not wait for it again.
  void MarkLocked();
  // What this user action has met is forgotten once the event loop turns outside any notice.
  void EndActionLater();

  QString path_;
  QString connection_name_;
  bool read_only_;
  std::chrono::milliseconds busy_timeout_;
  bool open_ = false;
  // Why the file could not be opened last time; told once, not at every lookup.
  QString reported_open_failure_;
  QString last_told_;
  bool locked_this_turn_ = false;
  int failures_ = 0;
  int lock_waits_ = 0;
  int telling_ = 0;  // notices being shown now, each in a box with an event loop of its own
  std::function<void(const Notice&)> tell_;
  QTimer action_end_;
  bool action_end_deferred_ = false;  // the action ended while a notice was up
};

// Told when a value cannot be stored, as an engine error would be.
QString OperationFailureText(const QString& description);

}  // namespace kx12r
