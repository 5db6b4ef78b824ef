#include <gtest/gtest.h>

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

TEST_F(ServiceDatabaseTest, AllDigitPasswordsStillMatchTheirText) {
  ASSERT_TRUE(db_.UpdateField({.Table = "UsersTable",
                               .Field = "USER_PWD",
                               .Value = "123456",
                               .KeyField = "KEY",
                               .KeyValue = "1"}));
  EXPECT_TRUE(
      db_.RecordExists({.Table = "UsersTable", .KeyField = "USER_PWD", .KeyValue = "123456"}));
}

TEST_F(ServiceDatabaseTest, NamesOtherThanPlainIdentifiersAreRefused) {
  EXPECT_FALSE(db_.RecordExists(
      {.Table = "UsersTable; DROP TABLE UsersTable", .KeyField = "KEY", .KeyValue = "1"}));
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_TRUE(db_.RecordExists({.Table = "UsersTable", .KeyField = "KEY", .KeyValue = "1"}));
}

TEST(ServiceDatabaseReadOnlyTest, WritesFailReadsWork) {
  QTemporaryDir folder;
  const QString path = GetDatabasePath(folder.path());
  ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, path));
  ScriptedPresenter presenter;
  ServiceDatabase db(path, true);
  EXPECT_EQ(GetDatabasePath("/opt/kx12r"), "/opt/kx12r/kx12rConfig.db");
  DbRequest insert{.Table = "UsersTable", .KeyField = "KEY"};
  EXPECT_FALSE(db.InsertRecord(insert));
  EXPECT_FALSE(db.UpdateField({.Table = "UsersTable",
                               .Field = "USER_PWD",
                               .Value = "secret1",
                               .KeyField = "KEY",
                               .KeyValue = "1"}));
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

TEST_F(ServiceDatabaseTest, AFileRemovedWhileRunningIsMissingUntilRestored) {
  ASSERT_TRUE(db_.RecordExists({.Table = "UsersTable", .KeyField = "KEY", .KeyValue = "1"}));
  const QString aside = path_ + ".aside";
  ASSERT_TRUE(QFile::rename(path_, aside));
  EXPECT_FALSE(db_.RecordExists({.Table = "UsersTable", .KeyField = "KEY", .KeyValue = "1"}));
  EXPECT_FALSE(db_.SelectRows("SELECT KEY FROM UsersTable"));
  ASSERT_EQ(presenter_.shown.size(), 2u);
  EXPECT_EQ(presenter_.shown[1].text, "Путь к базе данных " + path_ + " не существует.");
  EXPECT_EQ(presenter_.shown[1].style, 64);
  EXPECT_EQ(presenter_.shown[1].title, "Ошибка!");

  ASSERT_TRUE(QFile::rename(aside, path_));
  EXPECT_TRUE(db_.RecordExists({.Table = "UsersTable", .KeyField = "KEY", .KeyValue = "1"}));
  EXPECT_EQ(presenter_.shown.size(), 2u);
}

}  // namespace
}  // namespace kx12r
