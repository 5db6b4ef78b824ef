#include <gtest/gtest.h>

#include "base/SingleByteText.h"

namespace kx12r {
namespace {

TEST(SingleByteTextTest, RussianTextRoundTripsThroughWindows1251) {
  const QString text = QStringLiteral("Ёж «KX12R» №5");
  const std::string bytes = ToSingleByte(text);
  EXPECT_EQ(bytes,
            "\xA8\xE6 \xABKX12R\xBB \xB9"
            "5");
  EXPECT_EQ(FromSingleByte(bytes), text);
}

TEST(SingleByteTextTest, CharactersOutsideTheSetBecomeQuestionMarks) {
  EXPECT_EQ(ToSingleByte(QStringLiteral("a中b")), "a?b");
  EXPECT_EQ(ToSingleByte(std::wstring_view(L"€")), "\x88");
  EXPECT_EQ(FromSingleByte(std::string_view("\0x", 2)), QString(QChar(0)) + "x");
}

TEST(SingleByteTextTest, AByteTheCodePageLeavesUndefinedComesBackAsItself) {
  const QString text = FromSingleByte("A\x98");
  EXPECT_EQ(text.size(), 2);
  EXPECT_NE(text, "A?");
  EXPECT_TRUE(HasUndefinedByte(text));
  EXPECT_FALSE(HasUndefinedByte(FromSingleByte("A\xA8?")));
  EXPECT_EQ(ToSingleByte(text), "A\x98");
  std::string every(256, '\0');
  for (int byte = 0; byte < 256; ++byte) every[byte] = static_cast<char>(byte);
  EXPECT_EQ(ToSingleByte(FromSingleByte(every)), every);
}

}  // namespace
}  // namespace kx12r
