#include <gtest/gtest.h>

#include "ServiceDatabaseFixture.h"
#include "db/ServiceRows.h"

namespace kx12r {
namespace {

using ServiceRowsTest = ServiceDatabaseFixture;

TEST_F(ServiceRowsTest, TheChoiceListsOfferWhatAReaderTakes) {
  const struct {
    CodeFormatChoice choice;
    std::size_t count;
    long long first;
  } cases[] = {{CodeFormatChoice::kBelowNineWithoutZero, 8, 1},
               {CodeFormatChoice::kWithoutZero, 12, 1},
               {CodeFormatChoice::kAll, 13, 0}};
  for (const auto& c : cases) {
    const std::vector<CodeFormatRow> rows = CodeFormatChoices(db_, c.choice);
    ASSERT_EQ(rows.size(), c.count);
    EXPECT_EQ(rows.front().id, c.first);
  }
  EXPECT_EQ(CodeFormatChoices(db_, CodeFormatChoice::kAll).front().name, "RAW_HEX");

  // An ending without a code or a name is never offered.
  const std::optional<QString> blank = AddRow(db_, ServiceTable::kEndings);
  ASSERT_TRUE(blank);
  ASSERT_TRUE(StoreField(db_, RowField::kEndingName, *blank, "Tab2"));
  const std::vector<EndingRow> endings = ReadEndings(db_);
  EXPECT_EQ(endings.back().key, *blank);
  EXPECT_EQ(endings.back().code, 0) << "a null code reads as 0";
  EXPECT_EQ(ReadEndings(db_).size(), EndingChoices(db_).size() + 1);
  EXPECT_TRUE(presenter_.shown.empty());
}

TEST_F(ServiceRowsTest, EditsGoToTheRowTheyNameAndNeverReadThePassword) {
  const std::optional<QString> key = AddRow(db_, ServiceTable::kCodeFormats);
  ASSERT_TRUE(key);
  ASSERT_TRUE(StoreField(db_, RowField::kCodeFormatId, *key, "77"));
  ASSERT_TRUE(StoreField(db_, RowField::kCodeFormatName, *key, "Новый"));
  EXPECT_TRUE(NumberTaken(db_, RowField::kCodeFormatId, 77));
  EXPECT_FALSE(NumberTaken(db_, RowField::kEndingCode, 77)) << "another table's number";
  const std::vector<CodeFormatRow> formats = ReadCodeFormats(db_);
  EXPECT_EQ(formats.back().id, 77) << "listed by number";
  EXPECT_EQ(formats.back().name, "Новый");

  const std::vector<UserRow> users = ReadUsers(db_);
  ASSERT_FALSE(users.empty());
  ASSERT_TRUE(StoreField(db_, RowField::kUserPassword, users.front().key, "секрет1"));
  EXPECT_TRUE(PasswordKnown(db_, "секрет1"));
  EXPECT_FALSE(PasswordKnown(db_, "секрет"));

  ASSERT_TRUE(DeleteRow(db_, ServiceTable::kCodeFormats, *key));
  EXPECT_FALSE(NumberTaken(db_, RowField::kCodeFormatId, 77));
  EXPECT_TRUE(presenter_.shown.empty());
  // A key that names no row is told as the failure it is.
  EXPECT_FALSE(DeleteRow(db_, ServiceTable::kCodeFormats, *key));
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text, "Операция завершена некорректно: «Нет текущей записи.»");
}

TEST_F(ServiceRowsTest, SetupParametersAreKeyedByName) {
  const std::vector<SetupRow> setup = ReadSetupParameters(db_);
  const auto url =
      std::ranges::find(setup, QStringLiteral("CARDS_ADVERTISING_URL"), &SetupRow::key);
  ASSERT_NE(url, setup.end());
  EXPECT_EQ(url->value, "https://salvion.ru/cards/");
  ASSERT_TRUE(StoreField(db_, RowField::kSetupValue, url->key, ""));
  const std::vector<SetupRow> stored = ReadSetupParameters(db_);
  EXPECT_EQ(std::ranges::find(stored, url->key, &SetupRow::key)->value, "")
      << "an empty value is stored as none and reads as empty text";
}

}  // namespace
}  // namespace kx12r
