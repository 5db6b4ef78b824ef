#include <gtest/gtest.h>

#include "reader/CardCode.h"
#include "reader/KeyboardText.h"
#include "reader/ReportDescriptor.h"
#include "simulator/SimulatedKeyboardInputs.h"

namespace kx12r {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(KeyboardTextTest, EveryPrintableCharacterRoundTripsThroughTheUsLayout) {
  for (char c = 32; c <= 126; ++c) {
    const auto key = KeyForCharacter(c);
    ASSERT_TRUE(key) << "no key for '" << c << "'";
    EXPECT_EQ(UsCharacter(*key), QString(QChar(c))) << c;
    const bool shifted = QString("~!@#$%^&*()_+{}|:\"<>?").contains(c) || (c >= 'A' && c <= 'Z');
    EXPECT_EQ(key->shift, shifted) << c;
  }
  EXPECT_FALSE(KeyForCharacter('\x7F'));
}

TEST(KeyboardTextTest, TheRussianLayoutAndTheKeysThatTypeNothing) {
  auto russian = [](const char* text) {
    QString typed;
    for (const char* c = text; *c; ++c) typed += RussianCharacter(*KeyForCharacter(*c));
    return typed;
  };
  EXPECT_EQ(russian("#K"), "№Л");
  EXPECT_EQ(russian(";?qwerty[]`,./"), "ж,йцукенхъёбю.");
  EXPECT_EQ(russian("0123456789"), "0123456789");

  EXPECT_EQ(KeyName(*KeyForEnding(13)), "<Enter>");
  EXPECT_EQ(KeyName(*KeyForEnding(10)), "<Ctrl+Enter>");
  EXPECT_EQ(KeyName(*KeyForEnding(9)), "<Tab>");
  EXPECT_EQ(KeyName(*KeyForEnding(27)), "<Esc>");
  EXPECT_EQ(KeyName(*KeyForEnding(8)), "<Backspace>");
  EXPECT_EQ(KeyName(*KeyForEnding(32)), "<Space>");
  EXPECT_FALSE(KeyForEnding(0));
  EXPECT_EQ(UsCharacter(*KeyForEnding(13)), "");
}

TEST(KeyboardTextTest, KeyboardLayoutsFromDescriptors) {
  const auto boot = ParseKeyboardLayout(BootKeyboardDescriptor());
  ASSERT_TRUE(boot);
  EXPECT_EQ(boot->modifier_bit, 0);
  EXPECT_EQ(boot->keys_bit, 16) << "the reserved byte is padding, not keys";
  EXPECT_EQ(boot->key_count, 6);
  EXPECT_FALSE(boot->uses_report_ids);

  Bytes numbered = BootKeyboardDescriptor();
  numbered.insert(numbered.begin() + 6, {0x85, 0x03});  // report id 3
  const auto layout = ParseKeyboardLayout(numbered);
  ASSERT_TRUE(layout);
  EXPECT_TRUE(layout->uses_report_ids);
  EXPECT_EQ(layout->report_id, 3);
  EXPECT_FALSE(ParseKeyboardLayout(Bytes{0x06, 0x00, 0xFF, 0x75, 0x08, 0x95, 0x40, 0x81, 0x02}))
      << "a vendor page declares no keys";
}

TEST(KeyboardTextTest, TheDecoderTellsKeysAsTheyGoDownAcrossReports) {
  KeyboardDecoder decoder(BootKeyboardLayout());
  auto usages = [&](const Bytes& report) {
    std::vector<int> keys;
    for (const KeyStroke& key : decoder.Feed(report))
      keys.push_back(key.usage + (key.shift ? 1000 : 0));
    return keys;
  };
  EXPECT_EQ(usages({0, 0x02, 0, 0x20, 0, 0, 0, 0, 0}), std::vector<int>{1032}) << "Shift+3";
  EXPECT_EQ(usages({0, 0x02, 0, 0x20, 0x0E, 0, 0, 0, 0}), std::vector<int>{1014})
      << "3 still held, K goes down: only K is new";
  EXPECT_EQ(usages({0, 0, 0, 0, 0, 0, 0, 0, 0}), std::vector<int>{});
  EXPECT_EQ(usages({0, 0, 0, 0x1E, 0x1F, 0x01, 0, 0, 0}), (std::vector<int>{0x1E, 0x1F}))
      << "two keys in one report, the rollover error code left out";
  EXPECT_EQ(usages({0}), std::vector<int>{}) << "a short report holds no key";

  KeyboardLayout numbered = BootKeyboardLayout();
  numbered.uses_report_ids = true;
  numbered.report_id = 2;
  KeyboardDecoder other(numbered);
  EXPECT_TRUE(other.Feed(Bytes{1, 0, 0, 0x04}).empty()) << "another report";
  EXPECT_EQ(other.Feed(Bytes{2, 0, 0, 0x04}).size(), 1u);
}

TEST(KeyboardTextTest, CardCodesInTheFormatsOfTheFixedVariants) {
  const std::uint64_t card = 0x12345678AB;
  EXPECT_EQ(FormatCardCode(card, 1), "018052086120171") << "5x8b_DEC";
  EXPECT_EQ(FormatCardCode(card, 2), "0078187493547") << "40b_DEC";
  EXPECT_EQ(FormatCardCode(card, 3), "0878082219") << "32b_DEC";
  EXPECT_EQ(FormatCardCode(card, 4), "0915338308680") << "40bm_DEC";
  EXPECT_EQ(FormatCardCode(card, 0), "12345678AB");
  EXPECT_EQ(FormatCardCode(card, 9), "086,30891");
}

}  // namespace
}  // namespace kx12r
