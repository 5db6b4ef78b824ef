// The one connection to the service database and its keyed requests.
#include "db/ServiceDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>

#include "base/MessageBox.h"
#include "base/ProgramFolder.h"
#include "db/RussianCollation.h"

namespace kx12r {
namespace {

constexpr int kMaxRows = 100000;
const QString kNoCurrentRecord = QStringLiteral("Нет текущей записи.");
const QString kBadName = QStringLiteral("Недопустимое имя таблицы или поля.");
// SQLite's codes for a file that is damaged or no database at all, and for one that another
// program holds locked.
const QStringList kBrokenFileCodes = {QStringLiteral("11"), QStringLiteral("26")};
const QStringList kLockedCodes = {QStringLiteral("5"), QStringLiteral("6")};
const QStringList kTables = {QStringLiteral("CodeVariantsTable"), QStringLiteral("CodeEndingTable"),
                             QStringLiteral("UsersTable"), QStringLiteral("SetupTable")};
// Key columns that hold numbers; every other column holds text.
const QStringList kNumericKeyColumns = {QStringLiteral("KEY"), QStringLiteral("ID"),
                                        QStringLiteral("CHR_CODE"), QStringLiteral("END_ORDER")};

// A value "reads as a number": optional sign, digits, decimal point, exponent, blanks around.
std::optional<QVariant> AsNumber(const QString& text) {
  static const QRegularExpression kNumber(
      QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
  if (!kNumber.match(text).hasMatch()) return std::nullopt;
  bool integral = false;
  const qlonglong whole = text.trimmed().toLongLong(&integral);
  if (integral) return QVariant(whole);
  return QVariant(text.trimmed().toDouble());
}

// Table and column names go into the statement text, so only plain names are accepted.
bool IsName(const QString& name) {
  static const QRegularExpression kName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
  return kName.match(name).hasMatch();
}

QVariant NullText() { return QVariant(QMetaType::fromType<QString>()); }

// What went wrong, in the words the program speaks: each failure the program can meet has a
// wording of its own, and only an unforeseen one is given in the engine's words.
QString Reason(const QSqlError& error) {
  const QString engine = error.databaseText().trimmed();
  const QString code = error.nativeErrorCode();
  static const QRegularExpression kNoSuch(QStringLiteral("^no such (table|column): (.+)$"));
  if (kLockedCodes.contains(code))
    return QStringLiteral("база данных заблокирована другой программой");
  if (kBrokenFileCodes.contains(code)) {
    return QStringLiteral("файл не является базой данных или поврежден");
  }
  if (code == QStringLiteral("8")) return QStringLiteral("база данных открыта только для чтения");
  if (code == QStringLiteral("14")) return QStringLiteral("нет доступа к файлу, или это не файл");
  if (const auto match = kNoSuch.match(engine); match.hasMatch()) {
    return (match.captured(1) == QStringLiteral("table")
                ? QStringLiteral("в базе данных нет таблицы ")
                : QStringLiteral("в базе данных нет поля ")) +
           match.captured(2);
  }
  return engine.isEmpty() ? error.text().trimmed() : engine;
}

}  // namespace

QString GetDatabasePath(const QString& program_folder) {
  return QDir(ServiceDataFolder(program_folder)).filePath(QString::fromLatin1(kDatabaseFileName));
}

QString WhyDatabaseIsReadOnly(const QString& path) {
  const QFileInfo file(QFileInfo(path).canonicalFilePath());
  if (!file.exists()) return QString();
  const QFileInfo folder(file.absolutePath());
  if (file.isWritable() && folder.isWritable()) return QString();
  return QStringLiteral("Служебная база данных ") + Quoted(file.absoluteFilePath()) +
         QStringLiteral(" открыта только для чтения: у пользователя нет прав на запись в ") +
         (file.isWritable() ? QStringLiteral("папку ") + Quoted(folder.absoluteFilePath())
                            : QStringLiteral("этот файл")) +
         QStringLiteral(". Изменения на этой странице сохранены не будут.");
}

QString CellText(const std::optional<Rows>& rows, std::size_t field, std::size_t row) {
  if (!rows || field >= rows->size() || row >= (*rows)[field].size()) return QString();
  const QVariant& cell = (*rows)[field][row];
  return cell.isNull() ? QString() : cell.toString();
}

QString OperationFailureText(const QString& description) {
  return QStringLiteral("Операция завершена некорректно: ") + Quoted(description);
}

ServiceDatabase::ServiceDatabase(QString path, bool read_only,
                                 std::chrono::milliseconds busy_timeout)
    : path_(std::move(path)),
      connection_name_(QStringLiteral("kx12r-service-%1").arg(reinterpret_cast<quintptr>(this))),
      read_only_(read_only),
      busy_timeout_(busy_timeout) {
  action_end_.setSingleShot(true);
  action_end_.setInterval(0);
  QObject::connect(&action_end_, &QTimer::timeout, [this] {
    // The box of a notice turns the event loop inside the action: the action goes on after it.
    if (telling_ > 0) {
      action_end_deferred_ = true;
      return;
    }
    last_told_.clear();
    locked_this_turn_ = false;
  });
}

ServiceDatabase::~ServiceDatabase() { Close(); }

void ServiceDatabase::Close() {
  if (!QSqlDatabase::contains(connection_name_)) return;
  QSqlDatabase::database(connection_name_, false).close();
  QSqlDatabase::removeDatabase(connection_name_);
  open_ = false;
}

bool ServiceDatabase::EnsureConnection() {
  // A file removed while the program runs counts as missing at once, and a restored one is
  // opened again.
  if (!QFileInfo::exists(path_)) {
    Close();
    Tell(QStringLiteral("Путь к базе данных ") + path_ + QStringLiteral(" не существует."),
         kInformationStyle, kErrorTitle);
    return false;
  }
  if (open_) return true;
  if (locked_this_turn_) {
    ++failures_;
    return false;
  }
  const std::optional<OpenFailure> failure = Open();
  if (!failure) {
    reported_open_failure_.clear();
    return true;
  }
  if (failure->locked) MarkLocked();
  TellBroken(failure->reason);
  return false;
}

void ServiceDatabase::TellBroken(const QString& reason) {
  // The same fault is told once; every later lookup just fails.
  if (reason == reported_open_failure_) {
    ++failures_;
    return;
  }
  reported_open_failure_ = reason;
  Tell(QStringLiteral("Служебная база данных ") + Quoted(path_) +
           QStringLiteral(" не может быть открыта: ") + Quoted(reason),
       kStopStyle, kEngineErrorTitle);
}

void ServiceDatabase::Tell(const QString& text, int style, const QString& title) {
  ++failures_;
  if (text == last_told_) return;
  last_told_ = text;
  EndActionLater();
  if (!tell_) return;
  ++telling_;
  tell_({text, style, title});
  if (--telling_ == 0 && action_end_deferred_) {
    action_end_deferred_ = false;
    action_end_.start();
  }
}

void ServiceDatabase::MarkLocked() {
  ++lock_waits_;
  locked_this_turn_ = true;
  EndActionLater();
}

void ServiceDatabase::EndActionLater() {
  if (!action_end_.isActive()) action_end_.start();
}

void ServiceDatabase::TellFailure(const QString& description) {
  Tell(OperationFailureText(description), kStopStyle, kEngineErrorTitle);
}

std::optional<ServiceDatabase::OpenFailure> ServiceDatabase::TryOpen() {
  if (open_) return std::nullopt;
  return Open();
}

std::optional<ServiceDatabase::OpenFailure> ServiceDatabase::Open() {
  QString failure;
  bool locked = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_name_);
    // Through a link (an installed program's folder points into /var/lib) the real file is
    // opened, so SQLite writes its journal beside it, where the user may write.
    const QString real = QFileInfo(path_).canonicalFilePath();
    db.setDatabaseName(real.isEmpty() ? path_ : real);
    QStringList options{QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busy_timeout_.count())};
    if (read_only_) options << QStringLiteral("QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db.open()) {
      failure = Reason(db.lastError());
      locked = kLockedCodes.contains(db.lastError().nativeErrorCode());
    } else if (!RegisterRussianCollation(db)) {
      failure = QStringLiteral("collation ") + QString::fromLatin1(kRussianCollation);
    } else {
      // A file that is no database, or not this one, is found here and not at some later edit.
      for (const QString& table : kTables) {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table)) {
          failure = Reason(probe.lastError());
          locked = kLockedCodes.contains(probe.lastError().nativeErrorCode());
          break;
        }
      }
    }
    if (failure.isEmpty()) {
      open_ = true;
      return std::nullopt;
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(connection_name_);
  return OpenFailure{failure.isEmpty() ? QStringLiteral("?") : failure, locked};
}

bool ServiceDatabase::Ready(std::initializer_list<QString> names) {
  if (!EnsureConnection()) return false;
  if (std::all_of(names.begin(), names.end(), IsName)) return true;
  TellFailure(kBadName);
  return false;
}

QSqlQuery ServiceDatabase::NewQuery() const {
  return QSqlQuery(QSqlDatabase::database(connection_name_, false));
}

bool ServiceDatabase::Run(QSqlQuery& query, const QString& sql, const QVariantList& values) {
  // Once the file was found locked, the rest of this user action does not wait for it again.
  if (locked_this_turn_) {
    ++failures_;
    return false;
  }
  const bool done = query.prepare(sql) && [&] {
    for (const QVariant& value : values) query.addBindValue(value);
    return query.exec();
  }();
  if (done) return true;
  const QSqlError error = query.lastError();
  if (kBrokenFileCodes.contains(error.nativeErrorCode())) {
    // The file was damaged under the open connection: it is judged again at the next opening.
    query = QSqlQuery();
    Close();
    TellBroken(Reason(error));
  } else {
    if (kLockedCodes.contains(error.nativeErrorCode())) MarkLocked();
    TellFailure(Reason(error));
  }
  return false;
}

ServiceDatabase::Condition ServiceDatabase::Where(const DbRequest& request, KeyForms forms) {
  const QString& key = request.KeyField;
  if (forms == KeyForms::kNullNumericText && request.KeyValue.isEmpty()) {
    return {QStringLiteral(" WHERE(%1 IS NULL)").arg(key), {}};
  }
  // A text column is matched by the exact text typed: "012345" is not 12345.
  if (kNumericKeyColumns.contains(key)) {
    if (const auto number = AsNumber(request.KeyValue)) {
      return {QStringLiteral(" WHERE(%1=?)").arg(key), {*number}};
    }
  }
  return {QStringLiteral(" WHERE(%1=?)").arg(key), {request.KeyValue}};
}

std::optional<Rows> ServiceDatabase::SelectRows(const QString& sql, const QVariantList& values) {
  if (!EnsureConnection()) return std::nullopt;
  QSqlQuery query = NewQuery();
  query.setForwardOnly(true);
  if (!Run(query, sql, values)) return std::nullopt;
  Rows rows;
  int fetched = 0;
  while (fetched < kMaxRows && query.next()) {
    const int fields = query.record().count();
    rows.resize(fields);
    for (int field = 0; field < fields; ++field) rows[field].push_back(query.value(field));
    ++fetched;
  }
  if (fetched == 0) return std::nullopt;
  return rows;
}

bool ServiceDatabase::InsertRecord(DbRequest& request) {
  if (!Ready({request.Table, request.KeyField})) return false;
  QSqlQuery query = NewQuery();
  if (!Run(query,
           QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING %2")
               .arg(request.Table, request.KeyField),
           {})) {
    return false;
  }
  if (!query.next()) {
    TellFailure(Reason(query.lastError()));
    return false;
  }
  request.KeyValue = query.value(0).toString();
  return true;
}

bool ServiceDatabase::UpdateField(const DbRequest& request) {
  if (!Ready({request.Table, request.Field, request.KeyField})) return false;
  // An empty key takes the text form: it matches an empty text, not a null.
  const Condition where = Where(request, KeyForms::kNumericText);
  QVariantList values{request.Value.isEmpty() ? NullText() : QVariant(request.Value)};
  values += where.values;
  QSqlQuery query = NewQuery();
  return Run(query,
             QStringLiteral("UPDATE %1 SET %2=? WHERE rowid=(SELECT rowid FROM %1%3 LIMIT 1)")
                 .arg(request.Table, request.Field, where.text),
             values);
}

bool ServiceDatabase::RecordExists(const DbRequest& request) {
  if (!Ready({request.Table, request.KeyField})) return false;
  const Condition where = Where(request, KeyForms::kNullNumericText);
  QSqlQuery query = NewQuery();
  if (!Run(query, QStringLiteral("SELECT COUNT(*) FROM %1%2").arg(request.Table, where.text),
           where.values)) {
    return false;
  }
  return query.next() && query.value(0).toLongLong() != 0;
}

bool ServiceDatabase::DeleteRecord(const DbRequest& request) {
  if (!Ready({request.Table, request.KeyField})) return false;
  const Condition where = Where(request, KeyForms::kNumericText);
  QSqlQuery find = NewQuery();
  if (!Run(find, QStringLiteral("SELECT rowid FROM %1%2 LIMIT 1").arg(request.Table, where.text),
           where.values)) {
    return false;
  }
  if (!find.next()) {
    TellFailure(kNoCurrentRecord);
    return false;
  }
  QSqlQuery remove = NewQuery();
  return Run(remove, QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(request.Table),
             {find.value(0)});
}

QString ServiceDatabase::SelectValue(const DbRequest& request) {
  if (!Ready({request.Table, request.Field, request.KeyField})) return QString();
  const Condition where = Where(request, KeyForms::kNullNumericText);
  QSqlQuery query = NewQuery();
  if (!Run(query,
           QStringLiteral("SELECT %1 FROM %2%3").arg(request.Field, request.Table, where.text),
           where.values)) {
    return QString();
  }
  QString first;
  int count = 0;
  while (query.next()) {
    if (count++ == 0) first = query.value(0).isNull() ? QString() : query.value(0).toString();
  }
  if (count > 1) {
    Tell(QStringLiteral("Запрос создан некорректно. Полученное значение не уникально, имеет ") +
             QString::number(count) + QStringLiteral(" строк(и) данных."),
         kStopStyle, kEngineErrorTitle);
    return QString();
  }
  return first;
}

}  // namespace kx12r
