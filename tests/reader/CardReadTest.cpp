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

ReaderFrame Frame(const char* prefix, const char* suffix, int ending) {
  return {CardFrame{prefix, suffix, ending}, QString()};
}

struct Row {
  const char* read;
  ReaderFrame frame;
  Kind kind;
  const char* text;
};

TEST(CardReadTest, EachReadGetsTheVerdictThatExplainsIt) {
  const Row rows[] = {
      {"#K12345678AB<Enter>", Frame("#K", "AB", 13), Kind::kMatches,
       "Совпадает с настройками считывателя: префикс «#K», код «12345678», суффикс «AB», "
       "окончание Enter."},
      {"12345678", Frame("", "", 0), Kind::kMatches,
       "Совпадает с настройками считывателя: без префикса, код «12345678», без суффикса, без "
       "окончания."},
      // A prefix of symbols that stay where they are in both layouts.
      {"*12345678-<Tab>", Frame("*", "-", 9), Kind::kMatches,
       "Совпадает с настройками считывателя: префикс «*», код «12345678», суффикс «-», "
       "окончание Tab."},
      {"№Л12345678ФИ<Enter>", Frame("#K", "AB", 13), Kind::kRussianLayout,
       "В принимающей программе включена русская раскладка клавиатуры: считыватель набирает "
       "«#K12345678AB<Enter>» в английской раскладке, а программа получила "
       "«№Л12345678ФИ<Enter>». Поможет английская раскладка в этой программе или префикс и "
       "суффикс без букв и знаков, которые меняются при смене раскладки."},
      {"#k12345678ab<Enter>", Frame("#K", "AB", 13), Kind::kCapsLock,
       "Включен Caps Lock: буквы пришли в другом регистре, «#k12345678ab<Enter>» вместо "
       "«#K12345678AB<Enter>». Выключите Caps Lock."},
      {"#X12345678<Tab>", Frame("#K", "", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: префикс: пришло «#X», задано «#K»; окончание: "
       "пришло Tab, задано Enter."},
      {"12345678", Frame("", "!", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: суффикс: пришло «8», задано «!»; окончание: "
       "пришло ничего, задано Enter."},
      // Too short a read blames the part that is missing, never an empty one.
      {"#<Enter>", Frame("#K", "", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: префикс: пришло «#», задано «#K»."},
      {"A<Enter>", Frame("", "AB", 13), Kind::kDiffers,
       "Не совпадает с настройками считывателя: суффикс: пришло «A», задано «AB»."},
      {"#K1<Enter>", Frame("#K", "", 0), Kind::kDiffers,
       "Не совпадает с настройками считывателя: окончание: пришло Enter, задано Нет."},
      {"#K1<Enter>",
       {std::nullopt, kNoReaderChosen},
       Kind::kNothingToCompare,
       "Сравнить не с чем: считыватель не выбран."},
  };
  for (const Row& row : rows) {
    const CardVerdict verdict = JudgeCardRead(Keys(row.read), row.frame);
    EXPECT_EQ(verdict.kind, row.kind) << row.read;
    EXPECT_EQ(verdict.text, QString(row.text)) << row.read;
  }
}

TEST(CardReadTest, TheFixedVariantsFramesAndAReadersOwn) {
  const auto variant_3 = FrameOfVariant(3, "x", "y", 9);
  ASSERT_TRUE(variant_3);
  EXPECT_EQ(variant_3->prefix, ";");
  EXPECT_EQ(variant_3->suffix, "?");
  EXPECT_EQ(variant_3->ending, 13) << "the reader's own ending is variant 8's only";
  EXPECT_EQ(FrameOfVariant(1, "", "", 13)->ending, 0) << "variant 1 sends no ending key";
  EXPECT_EQ(FrameOfVariant(8, "#K", "", 10)->ending, 10);
  EXPECT_FALSE(FrameOfVariant(0, "", "", 13));
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
