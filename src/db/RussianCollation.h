#pragma once

#include <QSqlDatabase>
#include <QString>

namespace kx12r {

// Orders two names as a Russian reader expects: case-insensitive, Cyrillic alphabetical with
// Ё beside Е; negative, zero or positive.
int CompareRussian(const QString& left, const QString& right);

// Makes kRussianCollation known to an open SQLite connection, for ORDER BY ... COLLATE.
bool RegisterRussianCollation(QSqlDatabase& db);

}  // namespace kx12r
