#include <gtest/gtest.h>

#include "reader/CardRead.h"
#include "reader/ReadAssembler.h"

namespace kx12r {
namespace {

using namespace std::chrono_literals;
using Kind = CardVerdict::Kind;

// A read as the keys arrived: every character a key, "<Name>" a key that types none.
ReceivedKeys Keys(const QString& text) {
  ReceivedKeys keys;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype close = text.indexOf('>', i);
    if (text[i] == '<' && close > i + 1) {
      keys << text.mid(i, close - i + 1);
      i = close;
    } else {
      keys << QString(text[i]);
    }
  }
  return keys;
}

ReaderFrame Frame(const char* prefix, const char* suffix, int ending,
                  std::optional<int> code_format = 6) {
  return {CardFrame{prefix, suffix, ending, code_format}, QString()};
}

struct Row {
  const char* read;
  ReaderFrame frame;
  Kind kind;
  const char* text;
  const char* brief;
};

TEST(CardReadTest, EachReadGetsTheVerdictThatExplainsIt) {
  constexpr int kRawHex = 0, kW26c = 9;
  const Row rows[] = {
      {"#K12345678AB<Enter>", Frame("#K", "AB", 13), Kind::kMatches,
       "Совпадает с настройками считывателя: префикс «#K», код «12345678», суффикс «AB», "
       "окончание Enter.",
       "Совпадает"},
      {"12345678", Frame("", "", 0, 42), Kind::kMatches,
       "Совпадает с настройками считывателя: без префикса, код «12345678», без суффикса, без "
       "окончания. Код не проверен: формат кода 42 программе неизвестен.",
       "Совпадает"},
      {"№Л12345678ФИ<Enter>", Frame("#K", "AB", 13), Kind::kRussianLayout,
       "В принимающей программе включена русская раскладка клавиатуры: считыватель набирает "
       "«#K12345678AB<Enter>» в английской раскладке, а программа получила "
       "«№Л12345678ФИ<Enter>». Поможет английская раскладка в этой программе или префикс и "
       "суффикс без букв и знаков, которые меняются при смене раскладки.",
       "Русская раскладка"},
      // A garbled code is no match, whatever the frame around it.
      {"021436587Ф<Enter>", Frame("", "", 13, kRawHex), Kind::kRussianLayout, nullptr,
       "Русская раскладка"},
      {"086б30891<Tab>", Frame("", "", 9, kW26c), Kind::kRussianLayout, nullptr,
       "Русская раскладка"},
      {"021436587a<Enter>", Frame("", "", 13, kRawHex), Kind::kCapsLock,
       "Включен Caps Lock: буквы пришли в другом регистре, «021436587a<Enter>» вместо "
       "«021436587A<Enter>». Выключите Caps Lock.",
       "Caps Lock"},
      {"№л021436587ф<Enter>", Frame("#K", "", 13, kRawHex), Kind::kCapsLockRussianLayout,
       "Включены Caps Lock и русская раскладка клавиатуры: считыватель набирает "
       "«#K021436587A<Enter>» в английской раскладке, а программа получила "
       "«№л021436587ф<Enter>». Выключите Caps Lock и включите в этой программе английскую "
       "раскладку.",
       "Caps Lock и русская раскладка"},
      {"#K<Enter>", Frame("#K", "", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: код: 0 цифр вместо 8.", "Код"},
      {"#KHELLO WORLD<Enter>", Frame("#K", "", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: код: 11 цифр вместо 8.", "Код"},
      {"#K1234<Esc>678<Enter>", Frame("#K", "", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: код: клавиша <Esc> внутри кода.", "Код"},
      {"#K1234567G<Enter>", Frame("#K", "", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: код: «G» не шестнадцатеричная цифра.", "Код"},
      {"086.30891<Tab>", Frame("", "", 9, kW26c), Kind::kDiffers,
       "Не совпадает с настройками считывателя: код: «.» вместо запятой.", "Код"},
      {"256,30891<Tab>", Frame("", "", 9, kW26c), Kind::kDiffers,
       "Не совпадает с настройками считывателя: код: «256» больше 255.", "Код"},
      {"#X12345678<Tab>", Frame("#K", "", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: префикс: пришло «#X», задано «#K»; окончание: "
       "пришло Tab, задано Enter.",
       "Префикс, окончание"},
      // Too short a read blames the part that is missing, never one that is there.
      {"#<Enter>", Frame("#K", "", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: префикс: пришло «#», задано «#K».", "Префикс"},
      {"A<Enter>", Frame("", "AB", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: суффикс: пришло «A», задано «AB».", "Суффикс"},
      {"?<Enter>", Frame(";", "?", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: префикс: пришло ничего, задано «;».", "Префикс"},
      {"#K1<Enter>",
       {std::nullopt, kNoReaderChosen},
       Kind::kNothingToCompare,
       "Сравнить не с чем: считыватель не выбран.",
       "Сравнить не с чем"},
  };
  for (const Row& row : rows) {
    const CardVerdict verdict = JudgeCardRead(Keys(row.read), row.frame);
    EXPECT_EQ(verdict.kind, row.kind) << row.read;
    if (row.text != nullptr) {
      EXPECT_EQ(verdict.text, QString(row.text)) << row.read;
    }
    EXPECT_EQ(verdict.brief, QString(row.brief)) << row.read;
  }
}

TEST(CardReadTest, TheKeyboardsCapsLockDecidesWhenItIsKnown) {
  const ReaderFrame frame = Frame("#K", "", 13);
  EXPECT_EQ(JudgeCardRead(Keys("#k12345678<Enter>"), frame).kind, Kind::kCapsLock);
  EXPECT_EQ(JudgeCardRead(Keys("#k12345678<Enter>"), frame, false).kind, Kind::kDiffers)
      << "a layout that types small letters, with Caps Lock off";
  EXPECT_EQ(JudgeCardRead(Keys("#K12345678<Enter>"), frame, true).kind, Kind::kMatches);
}

TEST(CardReadTest, AValidCodeGivesItsCardAndTheExpectedMessageIsSaidInWords) {
  const CardVerdict verdict = JudgeCardRead(Keys("#K12345678AB<Enter>"), Frame("#K", "", 13, 0));
  ASSERT_TRUE(verdict.card);
  EXPECT_EQ(verdict.card->number, 0x12345678ABu);
  EXPECT_EQ(verdict.code_valid, true);
  EXPECT_FALSE(JudgeCardRead(Keys("1<Enter>"), Frame("", "", 13, 77)).code_valid)
      << "a format the program does not know is not checked";

  const CardFrame frame{"#K", "", 13, 0};
  EXPECT_EQ(DescribeFrame(frame), "#K, затем 10 шестнадцатеричных цифр (RAW_HEX), затем Enter");
  EXPECT_EQ(DescribeFrame({"", "", 0, 9}),
            "3 десятичные цифры, запятая, 5 десятичных цифр (W26c_DEC), затем без окончания");
  EXPECT_EQ(RussianLayoutForm(frame), "№Л…");
  EXPECT_EQ(RussianLayoutForm({"*", "-", 13, 0}), "") << "these keys type the same in both";
}

TEST(CardReadTest, TheFixedVariantsFramesAndAReadersOwn) {
  const auto variant_3 = FrameOfVariant(3, "x", "y", 9, 5);
  ASSERT_TRUE(variant_3);
  EXPECT_EQ(variant_3->prefix, ";");
  EXPECT_EQ(variant_3->suffix, "?");
  EXPECT_EQ(variant_3->ending, 13) << "the reader's own ending is variant 8's only";
  EXPECT_EQ(variant_3->code_format, 1);
  EXPECT_EQ(FrameOfVariant(1, "", "", 13, 5)->ending, 0) << "variant 1 sends no ending key";
  EXPECT_EQ(FrameOfVariant(8, "#K", "", 10, 5)->ending, 10);
  EXPECT_FALSE(FrameOfVariant(0, "", "", 13, 5));
  EXPECT_EQ(EndingKeyShown(10), "<Ctrl+Enter>");
  EXPECT_EQ(EndingKeyShown(0), "");
}

TEST(ReadAssemblerTest, AReadEndsAtItsEndingKeyOrAfterItsPause) {
  ReadAssembler<QString> with_ending([](const QString& key) { return key == "<Enter>"; }, 300ms,
                                     1000ms);
  EXPECT_FALSE(with_ending.Add("1", 0ms));
  EXPECT_FALSE(with_ending.Idle(900ms)) << "the ending is waited for";
  EXPECT_EQ(with_ending.Add("<Enter>", 950ms), std::vector<QString>({"1", "<Enter>"}));
  with_ending.Add("<Tab>", 2000ms);
  EXPECT_EQ(with_ending.Idle(3000ms), std::vector<QString>{"<Tab>"}) << "a wrong ending is seen";

  ReadAssembler<QString> without_ending({}, 300ms);
  without_ending.Add("1", 0ms);
  without_ending.Add("2", 200ms);
  EXPECT_FALSE(without_ending.Idle(499ms));
  EXPECT_EQ(without_ending.Idle(500ms), std::vector<QString>({"1", "2"}));
  EXPECT_TRUE(without_ending.Pending().empty());
}

}  // namespace
}  // namespace kx12r
