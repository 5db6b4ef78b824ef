// The Russian collation of names registered on the SQLite connection.
#include "db/RussianCollation.h"

#include <sqlite3.h>

#include <QCollator>
#include <QLocale>
#include <QSqlDriver>
#include <QVariant>

#include "db/ServiceDatabase.h"

namespace kx12r {
namespace {

const QCollator& RussianCollator() {
  static const QCollator collator = [] {
    QCollator russian(QLocale(QLocale::Russian, QLocale::Russia));
    russian.setCaseSensitivity(Qt::CaseInsensitive);
    return russian;
  }();
  return collator;
}

int CompareUtf8(void*, int left_length, const void* left, int right_length, const void* right) {
  return CompareRussian(QString::fromUtf8(static_cast<const char*>(left), left_length),
                        QString::fromUtf8(static_cast<const char*>(right), right_length));
}

}  // namespace

int CompareRussian(const QString& left, const QString& right) {
  return RussianCollator().compare(left, right);
}

bool RegisterRussianCollation(QSqlDatabase& db) {
  const QVariant handle = db.driver()->handle();
  if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return false;
  sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
  return connection && sqlite3_create_collation(connection, kRussianCollation, SQLITE_UTF8, nullptr,
                                                CompareUtf8) == SQLITE_OK;
}

}  // namespace kx12r
