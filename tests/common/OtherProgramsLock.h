#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

namespace kx12r {

// Another program's exclusive lock on a database file, held while this lives.
class OtherProgramsLock {
 public:
  explicit OtherProgramsLock(const QString& path) {
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", kConnection);
    other.setDatabaseName(path);
    held_ = other.open() && QSqlQuery(other).exec("BEGIN EXCLUSIVE");
  }
  ~OtherProgramsLock() {
    {
      QSqlDatabase other = QSqlDatabase::database(kConnection, false);
      QSqlQuery(other).exec("ROLLBACK");
      other.close();
    }
    QSqlDatabase::removeDatabase(kConnection);
  }
  OtherProgramsLock(const OtherProgramsLock&) = delete;
  OtherProgramsLock& operator=(const OtherProgramsLock&) = delete;

  bool Held() const { return held_; }

 private:
  static constexpr char kConnection[] = "other-program";
  bool held_ = false;
};

}  // namespace kx12r
