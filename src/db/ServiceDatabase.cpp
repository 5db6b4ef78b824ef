#include "ServiceDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "MessageBox.h"

namespace kx12r {
namespace {

constexpr int kMaxRows = 100000;
const QString kNoCurrentRecord = QStringLiteral("Нет текущей записи.");
const QString kBadName = QStringLiteral("Недопустимое имя таблицы или поля.");

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

}  // namespace

QString GetDatabasePath(const QString& program_folder) {
  return QDir(program_folder).filePath(QString::fromLatin1(kDatabaseFileName));
}

QString CellText(const std::optional<Rows>& rows, std::size_t field, std::size_t row) {
  if (!rows || field >= rows->size() || row >= (*rows)[field].size()) return QString();
  const QVariant& cell = (*rows)[field][row];
  return cell.isNull() ? QString() : cell.toString();
}

void ReportOperationFailure(const QString& description) {
  ShowMessage(QStringLiteral("Операция завершена некорректно: ") + Quoted(description), kStopStyle,
              kEngineErrorTitle);
}

ServiceDatabase::ServiceDatabase(QString path, bool read_only)
    : path_(std::move(path)),
      connection_name_(QStringLiteral("kx12r-service-%1").arg(reinterpret_cast<quintptr>(this))),
      read_only_(read_only) {}

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
    ShowMessage(QStringLiteral("Путь к базе данных ") + path_ + QStringLiteral(" не существует."),
                kInformationStyle, kErrorTitle);
    return false;
  }
  if (open_) return true;
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_name_);
  db.setDatabaseName(path_);
  if (read_only_) db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
  open_ = db.open();
  if (!open_) {
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_name_);
  }
  return open_;
}

bool ServiceDatabase::Ready(std::initializer_list<QString> names) {
  if (!EnsureConnection()) return false;
  if (std::all_of(names.begin(), names.end(), IsName)) return true;
  ReportOperationFailure(kBadName);
  return false;
}

QSqlQuery ServiceDatabase::NewQuery() const {
  return QSqlQuery(QSqlDatabase::database(connection_name_, false));
}

ServiceDatabase::Condition ServiceDatabase::Where(const DbRequest& request, KeyForms forms) {
  const QString& key = request.KeyField;
  if (forms == KeyForms::kNullNumericText && request.KeyValue.isEmpty()) {
    return {QStringLiteral(" WHERE(%1 IS NULL)").arg(key), {}};
  }
  if (const auto number = AsNumber(request.KeyValue)) {
    return {QStringLiteral(" WHERE(%1=?)").arg(key), {*number}};
  }
  return {QStringLiteral(" WHERE(%1=?)").arg(key), {request.KeyValue}};
}

std::optional<Rows> ServiceDatabase::SelectRows(const QString& sql, const QVariantList& values) {
  if (!EnsureConnection()) return std::nullopt;
  QSqlQuery query = NewQuery();
  query.setForwardOnly(true);
  if (!query.prepare(sql)) {
    ReportOperationFailure(query.lastError().text());
    return std::nullopt;
  }
  for (const QVariant& value : values) query.addBindValue(value);
  if (!query.exec()) {
    ReportOperationFailure(query.lastError().text());
    return std::nullopt;
  }
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
  if (!query.exec(QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING %2")
                      .arg(request.Table, request.KeyField)) ||
      !query.next()) {
    ReportOperationFailure(query.lastError().text());
    return false;
  }
  request.KeyValue = query.value(0).toString();
  return true;
}

bool ServiceDatabase::UpdateField(const DbRequest& request) {
  if (!Ready({request.Table, request.Field, request.KeyField})) return false;
  // An empty key takes the text form: it matches an empty text, not a null.
  const Condition where = Where(request, KeyForms::kNumericText);
  QSqlQuery query = NewQuery();
  query.prepare(QStringLiteral("UPDATE %1 SET %2=? WHERE rowid=(SELECT rowid FROM %1%3 LIMIT 1)")
                    .arg(request.Table, request.Field, where.text));
  query.addBindValue(request.Value.isEmpty() ? NullText() : QVariant(request.Value));
  for (const QVariant& value : where.values) query.addBindValue(value);
  if (!query.exec()) {
    ReportOperationFailure(query.lastError().text());
    return false;
  }
  return true;
}

bool ServiceDatabase::RecordExists(const DbRequest& request) {
  if (!Ready({request.Table, request.KeyField})) return false;
  const Condition where = Where(request, KeyForms::kNullNumericText);
  QSqlQuery query = NewQuery();
  query.prepare(QStringLiteral("SELECT COUNT(*) FROM %1%2").arg(request.Table, where.text));
  for (const QVariant& value : where.values) query.addBindValue(value);
  if (!query.exec() || !query.next()) {
    ReportOperationFailure(query.lastError().text());
    return false;
  }
  return query.value(0).toLongLong() != 0;
}

bool ServiceDatabase::DeleteRecord(const DbRequest& request) {
  if (!Ready({request.Table, request.KeyField})) return false;
  QSqlQuery find = NewQuery();
  find.prepare(QStringLiteral("SELECT rowid FROM %1 WHERE(%2=?) LIMIT 1")
                   .arg(request.Table, request.KeyField));
  find.addBindValue(request.KeyValue);
  if (!find.exec()) {
    ReportOperationFailure(find.lastError().text());
    return false;
  }
  if (!find.next()) {
    ReportOperationFailure(kNoCurrentRecord);
    return false;
  }
  QSqlQuery remove = NewQuery();
  remove.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(request.Table));
  remove.addBindValue(find.value(0));
  if (!remove.exec()) {
    ReportOperationFailure(remove.lastError().text());
    return false;
  }
  return true;
}

QString ServiceDatabase::SelectValue(const DbRequest& request) {
  if (!Ready({request.Table, request.Field, request.KeyField})) return QString();
  const Condition where = Where(request, KeyForms::kNullNumericText);
  QSqlQuery query = NewQuery();
  query.prepare(
      QStringLiteral("SELECT %1 FROM %2%3").arg(request.Field, request.Table, where.text));
  for (const QVariant& value : where.values) query.addBindValue(value);
  if (!query.exec()) {
    ReportOperationFailure(query.lastError().text());
    return QString();
  }
  QString first;
  int count = 0;
  while (query.next()) {
    if (count++ == 0) first = query.value(0).isNull() ? QString() : query.value(0).toString();
  }
  if (count > 1) {
    ShowMessage(
        QStringLiteral("Запрос создан некорректно. Полученное значение не уникально, имеет ") +
            QString::number(count) + QStringLiteral(" строк(и) данных."),
        kStopStyle, kEngineErrorTitle);
    return QString();
  }
  return first;
}

}  // namespace kx12r
