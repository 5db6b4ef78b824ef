#include <gtest/gtest.h>

#include "reader/CardCode.h"
#include "reader/CodeFormats.h"

namespace kx12r {
namespace {

// What the simulated reader types, read back by the table: the two are written apart, so each
// checks the other.
TEST(CodeFormatsTest, EveryFormatReadsBackTheCardTheReaderTyped) {
  const std::uint64_t cards[] = {
      0, (std::uint64_t{1} << 40) - 1, 0x12345678AB, 0x00FF0000, 0xA5FFFFFF5A, 0x8000000001};
  for (int id = 0; id <= 12; ++id) {
    const CodeFormat* format = FindCodeFormat(id);
    ASSERT_TRUE(format) << id;
    for (const std::uint64_t card : cards) {
      const QString code = FormatCardCode(card, id);
      EXPECT_EQ(code.size(), format->Length()) << format->name;
      const CodeCheck check = CheckCode(code, *format);
      ASSERT_TRUE(check.card) << format->name << " " << code.toStdString() << ": "
                              << check.fault.toStdString();
      EXPECT_EQ(check.card->number, card & ((std::uint64_t{1} << format->bits) - 1))
          << format->name << " " << code.toStdString();
    }
  }
  EXPECT_FALSE(FindCodeFormat(13)) << "a row a user added";
}

TEST(CodeFormatsTest, WorkedExamplesAndWhatIsWrongWithACode) {
  const CodeFormat& w26c = *FindCodeFormat(9);
  const CodeCheck series = CheckCode("123,45678", w26c);
  ASSERT_TRUE(series.card);
  EXPECT_EQ(series.card->number, (123u << 16) | 45678u);
  EXPECT_EQ(series.card->Notations(),
            "десятичное 8106606, шестнадцатеричное 7BB26E, серия 123, номер 45678");
  EXPECT_EQ(CheckCode("255,65535", w26c).fault, "");
  EXPECT_EQ(CheckCode("255,65536", w26c).fault, "«65536» больше 65535");
  EXPECT_EQ(CheckCode("12345678", w26c).fault, "8 знаков вместо 9");

  const CodeFormat& five_bytes = *FindCodeFormat(1);
  EXPECT_EQ(CheckCode("018052086120171", five_bytes).card->number, 0x12345678ABu);
  EXPECT_EQ(CheckCode("018052256120171", five_bytes).fault, "«256» больше 255");
  EXPECT_EQ(CheckCode("123456789", *FindCodeFormat(3)).fault, "9 цифр вместо 10");
  EXPECT_EQ(CheckCode("1", *FindCodeFormat(3)).fault, "1 цифра вместо 10");
  EXPECT_EQ(CheckCode("4294967296", *FindCodeFormat(3)).fault, "«4294967296» больше 4294967295");
  EXPECT_EQ(CheckCode("12345678ab", *FindCodeFormat(0)).fault, "«a» не шестнадцатеричная цифра");
  EXPECT_EQ(CheckCode("1234Ф", *FindCodeFormat(10)).fault, "«Ф» не десятичная цифра");
  EXPECT_EQ(CheckCode("30891", *FindCodeFormat(10)).card->Notations(),
            "десятичное 30891, шестнадцатеричное 78AB");

  EXPECT_EQ(DescribeCodeFormat(five_bytes), "15 десятичных цифр (5x8b_DEC)");
  EXPECT_EQ(DescribeCodeFormat(*FindCodeFormat(6)), "8 шестнадцатеричных цифр (32b_HEX)");
}

}  // namespace
}  // namespace kx12r
