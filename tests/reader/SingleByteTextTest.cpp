#include <gtest/gtest.h>

#include "SingleByteText.h"

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

}  // namespace
}  // namespace kx12r
