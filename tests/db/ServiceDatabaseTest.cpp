#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>

#include "BoxedDatabase.h"
#include "OtherProgramsLock.h"
#include "ServiceDatabaseFixture.h"

namespace kx12r {
namespace {

using ServiceDatabaseTest = ServiceDatabaseFixture;

// A second code format with an id that one already has.
void AddCodeVariant(ServiceDatabase& db, int id) {
  DbRequest row{.Table = "CodeVariantsTable", .KeyField = "KEY"};
  ASSERT_TRUE(db.InsertRecord(row));
  ASSERT_TRUE(db.UpdateField({.Table = "CodeVariantsTable",
                              .Field = "ID",
                              .Value = QString::number(id),
                              .KeyField = "KEY",
                              .KeyValue = row.KeyValue}));
}

const QString kEngineFailure = QStringLiteral("Операция завершена некорректно: «%1»");

TEST_F(ServiceDatabaseTest, SelectRowsIsIndexedByFieldThenRow) {
  const auto rows =
      db_.SelectRows("SELECT ID, NAME FROM CodeVariantsTable WHERE(ID<3) ORDER BY ID");
  ASSERT_TRUE(rows);
  ASSERT_EQ(rows->size(), 2u);
  ASSERT_EQ((*rows)[0].size(), 3u);
  EXPECT_EQ(CellText(rows, 1, 1), "5x8b_DEC");
  EXPECT_EQ(CellText(rows, 0, 2), "2");

  const auto none = db_.SelectRows("SELECT NAME FROM CodeVariantsTable WHERE(ID=?)", {999});
  EXPECT_FALSE(none);
  EXPECT_EQ(CellText(none), "");
  EXPECT_TRUE(presenter_.shown.empty());
}

TEST_F(ServiceDatabaseTest, InsertReturnsTheNewKeyAndNullsSortFirst) {
  DbRequest request{.Table = "CodeVariantsTable", .KeyField = "KEY"};
  ASSERT_TRUE(db_.InsertRecord(request));
  EXPECT_EQ(request.KeyValue, "14");
  const auto grid = db_.SelectRows(
      "SELECT KEY, IFNULL(ID,0), IFNULL(NAME,''), IFNULL(DESCRIPTION,'') FROM CodeVariantsTable "
      "ORDER BY ID");
  EXPECT_EQ(CellText(grid, 0, 0), "14");
  EXPECT_EQ(CellText(grid, 1, 0), "0");
  EXPECT_EQ(CellText(grid, 2, 0), "");
}

TEST_F(ServiceDatabaseTest, KeyFormsNullNumberAndText) {
  DbRequest user{.Table = "UsersTable", .KeyField = "KEY"};
  ASSERT_TRUE(db_.InsertRecord(user));
  ASSERT_TRUE(db_.UpdateField({.Table = "UsersTable",
                               .Field = "USER_NAME",
                               .Value = "Техник",
                               .KeyField = "KEY",
                               .KeyValue = user.KeyValue}));
  // An empty key matches the user whose password was never set.
  EXPECT_EQ(db_.SelectValue({.Table = "UsersTable", .Field = "USER_NAME", .KeyField = "USER_PWD"}),
            "Техник");
  EXPECT_EQ(
      db_.SelectValue(
          {.Table = "CodeVariantsTable", .Field = "NAME", .KeyField = "ID", .KeyValue = " 12 "}),
      "32bm_DEC");
  EXPECT_EQ(db_.SelectValue({.Table = "SetupTable",
                             .Field = "P_VAL",
                             .KeyField = "P_NAME",
                             .KeyValue = "CARDS_ADVERTISING_URL"}),
            "https://salvion.ru/cards/");
  EXPECT_TRUE(db_.RecordExists({.Table = "UsersTable", .KeyField = "USER_PWD", .KeyValue = ""}));
  EXPECT_FALSE(
      db_.RecordExists({.Table = "UsersTable", .KeyField = "USER_PWD", .KeyValue = "nobody"}));
  EXPECT_TRUE(presenter_.shown.empty());
}

TEST_F(ServiceDatabaseTest, UpdateStoresNullForEmptyTextAndChangesOneRow) {
  const DbRequest clear{.Table = "CodeVariantsTable",
                        .Field = "NAME",
                        .Value = "",
                        .KeyField = "ID",
                        .KeyValue = "3"};
  ASSERT_TRUE(db_.UpdateField(clear));
  EXPECT_EQ(CellText(db_.SelectRows("SELECT COUNT(*) FROM CodeVariantsTable WHERE NAME IS NULL")),
            "1");

  AddCodeVariant(db_, 5);
  ASSERT_TRUE(db_.UpdateField({.Table = "CodeVariantsTable",
                               .Field = "NAME",
                               .Value = "X",
                               .KeyField = "ID",
                               .KeyValue = "5"}));
  EXPECT_EQ(CellText(db_.SelectRows("SELECT COUNT(*) FROM CodeVariantsTable WHERE NAME='X'")), "1");

  EXPECT_TRUE(db_.UpdateField({.Table = "CodeVariantsTable",
                               .Field = "NAME",
                               .Value = "Y",
                               .KeyField = "ID",
                               .KeyValue = "777"}))
      << "no matching row is no change and no failure";
  EXPECT_EQ(CellText(db_.SelectRows("SELECT COUNT(*) FROM CodeVariantsTable WHERE NAME='Y'")), "0");
  EXPECT_TRUE(presenter_.shown.empty());
}

TEST_F(ServiceDatabaseTest, DeletingAMissingKeyIsReported) {
  EXPECT_TRUE(
      db_.DeleteRecord({.Table = "CodeEndingTable", .KeyField = "END_ORDER", .KeyValue = "1"}));
  EXPECT_FALSE(
      db_.DeleteRecord({.Table = "CodeEndingTable", .KeyField = "END_ORDER", .KeyValue = "1"}));
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text, kEngineFailure.arg("Нет текущей записи."));
  EXPECT_EQ(presenter_.shown[0].style, 16);
  EXPECT_EQ(presenter_.shown[0].title, "Ошибка");
}

TEST_F(ServiceDatabaseTest, SeveralMatchingRowsAreNotAValue) {
  AddCodeVariant(db_, 2);
  EXPECT_EQ(db_.SelectValue(
                {.Table = "CodeVariantsTable", .Field = "NAME", .KeyField = "ID", .KeyValue = "2"}),
            "");
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(
      presenter_.shown[0].text,
      "Запрос создан некорректно. Полученное значение не уникально, имеет 2 строк(и) данных.");
  EXPECT_EQ(presenter_.shown[0].style, 16);
  EXPECT_EQ(presenter_.shown[0].title, "Ошибка");
}

TEST_F(ServiceDatabaseTest, ValuesWithApostrophesAreStoredAndComparedLiterally) {
  DbRequest user{.Table = "UsersTable", .KeyField = "KEY"};
  ASSERT_TRUE(db_.InsertRecord(user));
  const QString password = "' OR '1'='1";
  ASSERT_TRUE(db_.UpdateField({.Table = "UsersTable",
                               .Field = "USER_PWD",
                               .Value = password,
                               .KeyField = "KEY",
                               .KeyValue = user.KeyValue}));
  ASSERT_TRUE(db_.UpdateField({.Table = "UsersTable",
                               .Field = "USER_NAME",
                               .Value = "O'Brien",
                               .KeyField = "KEY",
                               .KeyValue = user.KeyValue}));
  EXPECT_TRUE(
      db_.RecordExists({.Table = "UsersTable", .KeyField = "USER_PWD", .KeyValue = password}));
  EXPECT_FALSE(db_.RecordExists(
      {.Table = "UsersTable", .KeyField = "USER_PWD", .KeyValue = "x' OR '1'='1"}));
  EXPECT_EQ(db_.SelectValue({.Table = "UsersTable",
                             .Field = "USER_NAME",
                             .KeyField = "USER_PWD",
                             .KeyValue = password}),
            "O'Brien");
  EXPECT_TRUE(presenter_.shown.empty());
}

TEST_F(ServiceDatabaseTest, TextKeysMatchTheExactTextNumericKeysTheNumber) {
  auto password_matches = [&](const QString& stored, const QString& typed) {
    EXPECT_TRUE(db_.UpdateField({.Table = "UsersTable",
                                 .Field = "USER_PWD",
                                 .Value = stored,
                                 .KeyField = "KEY",
                                 .KeyValue = "1"}));
    return db_.RecordExists({.Table = "UsersTable", .KeyField = "USER_PWD", .KeyValue = typed});
  };
  for (const QString password :
       {"123456", "012345", "000000", "+123456", "12345678901234567890", "1e5000"}) {
    EXPECT_TRUE(password_matches(password, password)) << password.toStdString();
  }
  EXPECT_FALSE(password_matches("123456", "0123456"));
  EXPECT_FALSE(password_matches("012345", "12345"));
  EXPECT_FALSE(password_matches("000000", "0"));

  EXPECT_EQ(db_.SelectValue(
                {.Table = "SetupTable", .Field = "P_VAL", .KeyField = "P_NAME", .KeyValue = "0"}),
            "");
  // Numeric columns take the number however it is written.
  for (const QString id : {"12", "012", "+12", "12.0", " 12 "}) {
    EXPECT_EQ(
        db_.SelectValue(
            {.Table = "CodeVariantsTable", .Field = "NAME", .KeyField = "ID", .KeyValue = id}),
        "32bm_DEC")
        << id.toStdString();
  }
  EXPECT_TRUE(presenter_.shown.empty());
}

TEST_F(ServiceDatabaseTest, AStatementTheEngineRefusesIsReportedWithItsReason) {
  EXPECT_FALSE(db_.SelectRows("SELECT NOPE FROM UsersTable WHERE(KEY=?)", {1}));
  EXPECT_FALSE(db_.UpdateField({.Table = "UsersTable",
                                .Field = "NO_SUCH_COLUMN",
                                .Value = "x",
                                .KeyField = "KEY",
                                .KeyValue = "1"}));
  BoxedDatabase read_only(db_.Path(), true);
  EXPECT_FALSE(read_only.UpdateField({.Table = "UsersTable",
                                      .Field = "USER_NAME",
                                      .Value = "x",
                                      .KeyField = "KEY",
                                      .KeyValue = "1"}));
  // Each failure the program can meet is told in its own Russian words.
  ASSERT_EQ(presenter_.shown.size(), 3u);
  EXPECT_EQ(presenter_.shown[0].text,
            "Операция завершена некорректно: «в базе данных нет поля NOPE»");
  EXPECT_EQ(presenter_.shown[1].text,
            "Операция завершена некорректно: «в базе данных нет поля NO_SUCH_COLUMN»");
  EXPECT_EQ(presenter_.shown[2].text,
            "Операция завершена некорректно: «база данных открыта только для чтения»");
}

TEST_F(ServiceDatabaseTest, NamesSortAsARussianReaderExpects) {
  for (const QString name : {"ёж", "Яков", "борис", "Анна", "Егор", "жанна"}) {
    DbRequest user{.Table = "UsersTable", .KeyField = "KEY"};
    ASSERT_TRUE(db_.InsertRecord(user));
    ASSERT_TRUE(db_.UpdateField({.Table = "UsersTable",
                                 .Field = "USER_NAME",
                                 .Value = name,
                                 .KeyField = "KEY",
                                 .KeyValue = user.KeyValue}));
  }
  const auto rows =
      db_.SelectRows("SELECT USER_NAME FROM UsersTable ORDER BY USER_NAME COLLATE RUSSIAN");
  ASSERT_TRUE(rows);
  QStringList names;
  for (const QVariant& name : (*rows)[0]) names << name.toString();
  EXPECT_EQ(names, (QStringList{"Администратор", "Анна", "борис", "Егор", "ёж", "жанна", "Яков"}));
}

TEST_F(ServiceDatabaseTest, NamesOtherThanPlainIdentifiersAreRefused) {
  EXPECT_FALSE(db_.RecordExists(
      {.Table = "UsersTable; DROP TABLE UsersTable", .KeyField = "KEY", .KeyValue = "1"}));
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_TRUE(db_.RecordExists({.Table = "UsersTable", .KeyField = "KEY", .KeyValue = "1"}));

  // The database hands its failures on and shows nothing itself.
  ServiceDatabase quiet(path_, false);
  std::vector<Notice> told;
  EXPECT_FALSE(quiet.RecordExists({.Table = "No table", .KeyField = "KEY", .KeyValue = "1"}));
  EXPECT_TRUE(quiet.HadFailure());
  quiet.TellFaultsTo([&](const Notice& notice) { told.push_back(notice); });
  EXPECT_FALSE(quiet.SelectRows("SELECT NOPE FROM UsersTable"));
  ASSERT_EQ(told.size(), 1u);
  EXPECT_TRUE(told[0].text.startsWith("Операция завершена некорректно: «"))
      << told[0].text.toStdString();
  EXPECT_EQ(told[0].style, kStopStyle);
  EXPECT_EQ(told[0].title, "Ошибка");
  EXPECT_EQ(presenter_.shown.size(), 1u) << "no box but the fixture's own";
}

TEST(ServiceDatabaseReadOnlyTest, WritesFailReadsWork) {
  QTemporaryDir folder;
  const QString path = GetDatabasePath(folder.path());
  ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, path));
  ScriptedPresenter presenter;
  BoxedDatabase db(path, true);
  EXPECT_EQ(GetDatabasePath("/opt/kx12r"), "/opt/kx12r/kx12rConfig.db");
  DbRequest insert{.Table = "UsersTable", .KeyField = "KEY"};
  EXPECT_FALSE(db.InsertRecord(insert));
  QCoreApplication::processEvents();  // each write is a user action of its own
  EXPECT_FALSE(db.UpdateField({.Table = "UsersTable",
                               .Field = "USER_PWD",
                               .Value = "secret1",
                               .KeyField = "KEY",
                               .KeyValue = "1"}));
  QCoreApplication::processEvents();
  EXPECT_FALSE(db.DeleteRecord({.Table = "UsersTable", .KeyField = "KEY", .KeyValue = "1"}));
  ASSERT_EQ(presenter.shown.size(), 3u);
  for (const auto& message : presenter.shown) {
    EXPECT_TRUE(message.text.startsWith("Операция завершена некорректно: «"))
        << message.text.toStdString();
    EXPECT_EQ(message.title, "Ошибка");
  }
  EXPECT_EQ(db.SelectValue(
                {.Table = "UsersTable", .Field = "USER_PWD", .KeyField = "KEY", .KeyValue = "1"}),
            "kx12r-admin");
}

#ifndef _WIN32  // Windows keeps the name of a file in use
TEST_F(ServiceDatabaseTest, AFileRemovedWhileRunningIsMissingUntilRestored) {
  ASSERT_TRUE(db_.RecordExists({.Table = "UsersTable", .KeyField = "KEY", .KeyValue = "1"}));
  const QString aside = path_ + ".aside";
  ASSERT_TRUE(QFile::rename(path_, aside));
  // The lookups of one action give one box; the next action tells again.
  EXPECT_FALSE(db_.RecordExists({.Table = "UsersTable", .KeyField = "KEY", .KeyValue = "1"}));
  EXPECT_FALSE(db_.SelectRows("SELECT KEY FROM UsersTable"));
  EXPECT_EQ(presenter_.shown.size(), 1u);
  QCoreApplication::processEvents();
  EXPECT_FALSE(db_.SelectRows("SELECT KEY FROM UsersTable"));
  ASSERT_EQ(presenter_.shown.size(), 2u);
  EXPECT_EQ(presenter_.shown[1].text, "Путь к базе данных " + path_ + " не существует.");
  EXPECT_EQ(presenter_.shown[1].style, 64);
  EXPECT_EQ(presenter_.shown[1].title, "Ошибка!");

  ASSERT_TRUE(QFile::rename(aside, path_));
  EXPECT_TRUE(db_.RecordExists({.Table = "UsersTable", .KeyField = "KEY", .KeyValue = "1"}));
  EXPECT_EQ(presenter_.shown.size(), 2u);
}
#endif

TEST(ServiceDatabaseFaultTest, AFileThatIsNoServiceDatabaseIsToldOnceAtOpening) {
  QTemporaryDir folder;
  const QString path = GetDatabasePath(folder.path());
  auto told_once = [&](const QString& reason) {
    ScriptedPresenter presenter;
    BoxedDatabase db(path, false);
    EXPECT_FALSE(db.SelectRows("SELECT KEY FROM UsersTable"));
    EXPECT_FALSE(db.RecordExists({.Table = "UsersTable", .KeyField = "KEY", .KeyValue = "1"}));
    EXPECT_EQ(db.SelectValue({.Table = "SetupTable", .Field = "P_VAL", .KeyField = "P_NAME"}), "");
    EXPECT_FALSE(db.IsOpen());
    ASSERT_EQ(presenter.shown.size(), 1u) << reason.toStdString();
    EXPECT_TRUE(presenter.shown[0].text.startsWith("Служебная база данных «" + path +
                                                   "» не может быть открыта: «"));
    EXPECT_TRUE(presenter.shown[0].text.contains(reason)) << presenter.shown[0].text.toStdString();
    EXPECT_EQ(presenter.shown[0].title, "Ошибка");
  };
  auto write = [&](const QByteArray& bytes) {
    QFile::remove(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  };

  write("this is a text file, not a database\n");
  told_once("«файл не является базой данных или поврежден»");
  write("");
  told_once("«в базе данных нет таблицы CodeVariantsTable»");
  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(QDir().mkdir(path));
  told_once("«нет доступа к файлу, или это не файл»");
  ASSERT_TRUE(QDir().rmdir(path));
  ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, path));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  file.seek(0);
  file.write(QByteArray(100, '\xAA'));  // the header is gone
  file.close();
  told_once("«файл не является базой данных или поврежден»");
}

TEST(ServiceDatabaseFaultTest, ALockByAnotherProgramFailsAfterTheBusyTimeoutAndIsTold) {
  QTemporaryDir folder;
  const QString path = GetDatabasePath(folder.path());
  ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, path));
  const OtherProgramsLock lock(path);
  ASSERT_TRUE(lock.Held());

  ScriptedPresenter presenter;
  BoxedDatabase db(path, false, std::chrono::milliseconds(10));
  EXPECT_FALSE(db.UpdateField({.Table = "UsersTable",
                               .Field = "USER_NAME",
                               .Value = "x",
                               .KeyField = "KEY",
                               .KeyValue = "1"}));
  ASSERT_EQ(presenter.shown.size(), 1u);
  EXPECT_TRUE(presenter.shown[0].text.endsWith("«база данных заблокирована другой программой»"))
      << presenter.shown[0].text.toStdString();
}

#ifndef _WIN32  // Windows keeps the name of a file in use
TEST(ServiceDatabaseFaultTest, AFaultIsToldAndWaitedForOnceInAUserActionItsBoxIncluded) {
  QTemporaryDir folder;
  const QString path = GetDatabasePath(folder.path());
  ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, path));
  ScriptedPresenter presenter;
  // A box turns the event loop while it is up, as a real one does.
  presenter.on_present = [](const ShownMessage&) { QCoreApplication::processEvents(); };
  const auto one_action = [](ServiceDatabase& db) {
    for (int lookup = 0; lookup < 3; ++lookup) {
      EXPECT_FALSE(db.SelectRows("SELECT NAME FROM CodeVariantsTable"));
    }
  };
  BoxedDatabase open(path, false, std::chrono::milliseconds(10));
  ASSERT_TRUE(open.SelectRows("SELECT NAME FROM CodeVariantsTable"));
  BoxedDatabase starting(path, false, std::chrono::milliseconds(10));
  {
    const OtherProgramsLock lock(path);
    ASSERT_TRUE(lock.Held());
    one_action(open);
    EXPECT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(open.LockWaits(), 1);
    one_action(starting);  // start-up: the file is first opened now
    EXPECT_EQ(starting.LockWaits(), 1);
    QCoreApplication::processEvents();  // the next action waits again
    one_action(open);
    EXPECT_EQ(open.LockWaits(), 2);
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(open.SelectRows("SELECT NAME FROM CodeVariantsTable")) << "free again, silently";

  presenter.shown.clear();
  ASSERT_TRUE(QFile::rename(path, path + ".aside"));
  one_action(open);
  EXPECT_EQ(presenter.shown.size(), 1u) << "a missing file is told once too";
}
#endif

}  // namespace
}  // namespace kx12r
