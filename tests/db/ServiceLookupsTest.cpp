#include <gtest/gtest.h>

#include "ServiceDatabaseFixture.h"
#include "db/ServiceLookups.h"

namespace kx12r {
namespace {

using ServiceLookupsTest = ServiceDatabaseFixture;

TEST_F(ServiceLookupsTest, NamesAndDescriptionsOfCodeFormats) {
  for (const char* name : {"5x8b_DEC", "40b_DEC", "32b_DEC", "40bm_DEC"}) {
    EXPECT_FALSE(GetCodeVariantDescription(db_, name).isEmpty())
        << name << " is shown by a fixed variant";
  }
  EXPECT_EQ(GetCodeVariantName(db_, 1), "5x8b_DEC");
  EXPECT_EQ(GetCodeVariantName(db_, 99), "");
  db_.UpdateField({.Table = "CodeVariantsTable",
                   .Field = "NAME",
                   .Value = "",
                   .KeyField = "ID",
                   .KeyValue = "4"});
  EXPECT_EQ(GetCodeVariantName(db_, 4), "");
  EXPECT_EQ(GetCodeVariantDescription(db_, "it's"), "");
  EXPECT_TRUE(presenter_.shown.empty());
}

TEST_F(ServiceLookupsTest, EveryReportableEndingHasAName) {
  EXPECT_EQ(GetEndingKeyName(db_, 13), "Enter");
  EXPECT_EQ(GetEndingKeyName(db_, 32), "Space") << "an empty ending reads as 32";
  EXPECT_EQ(GetEndingKeyName(db_, 0), "Нет") << "variant 8 may end with no key";
  EXPECT_TRUE(EndingCodeExists(db_, 9));
  EXPECT_FALSE(EndingCodeExists(db_, 200));
}

TEST_F(ServiceLookupsTest, CodeFormatZeroExistsOnlyWhileItsRowDoes) {
  EXPECT_TRUE(CodeVariantExists(db_, 0));
  ASSERT_TRUE(db_.DeleteRecord({.Table = "CodeVariantsTable", .KeyField = "KEY", .KeyValue = "1"}));
  EXPECT_FALSE(CodeVariantExists(db_, 0));
  EXPECT_TRUE(CodeVariantExists(db_, 12));
}

TEST_F(ServiceLookupsTest, SetupParameters) {
  EXPECT_EQ(GetSetupValue(db_, kCardsAdvertisingUrl), "https://salvion.ru/cards/");
  EXPECT_EQ(GetSetupCaption(db_, kCardsAdvertisingUrl), "Карты и брелоки для считывателя «KX12R»");
  EXPECT_EQ(GetSetupValue(db_, "NO_SUCH_PARAMETER"), "");
  EXPECT_TRUE(presenter_.shown.empty());
}

TEST_F(ServiceLookupsTest, NumbersOutsideSixteenBitsNameNoRow) {
  // 65548 would be 12 cut to 16 bits, 65549 would be 13.
  EXPECT_EQ(GetCodeVariantName(db_, 65548), "");
  EXPECT_FALSE(CodeVariantExists(db_, 65548));
  EXPECT_EQ(GetEndingKeyName(db_, 65549), "");
  EXPECT_FALSE(EndingCodeExists(db_, -65523));
  EXPECT_EQ(GetEndingKeyName(db_, 13), "Enter");
  EXPECT_TRUE(presenter_.shown.empty());
}

}  // namespace
}  // namespace kx12r
