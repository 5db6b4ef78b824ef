#include <gtest/gtest.h>

#include "OneDeviceHid.h"
#include "ReaderReports.h"
#include "ScriptedPresenter.h"
#include "reader/ReportExchange.h"
#include "shown/ShownSettings.h"

namespace kx12r {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A device whose replies the test writes byte by byte.
class ScriptedHid : public OneDeviceHid {
 public:
  bool Write(int handle, std::span<const std::uint8_t> report) override {
    written.emplace_back(report.begin(), report.end());
    last_handle = handle;
    return write_result;
  }
  bool Read(int, std::span<std::uint8_t> report) override {
    ++reads;
    if (!reply) return false;
    std::copy_n(reply->begin(), std::min(reply->size(), report.size()), report.begin());
    return true;
  }
  bool write_result = true;
  std::optional<Bytes> reply;
  std::vector<Bytes> written;
  int reads = 0;
  int last_handle = -1;
};

Bytes Report(std::uint8_t code, std::string_view text = "", std::size_t length = 8) {
  return ReaderReport(code, text, length);
}

class ReportExchangeTest : public ::testing::Test {
 protected:
  ScriptedHid hid_;
  ScriptedPresenter presenter_;
};

TEST_F(ReportExchangeTest, ParametersFillPositionsAndSpacesTheRest) {
  hid_.reply = Report('P', "AB");
  EXPECT_TRUE(SendTextCommand(hid_, 1, 'P', "AB"));
  EXPECT_EQ(hid_.written.back(), Report('P', "AB"));

  hid_.reply = Report('P', "ABCDEF");
  EXPECT_TRUE(SendTextCommand(hid_, 1, 'P', "ABCDEFGH")) << "only what fits is sent and checked";
  EXPECT_EQ(hid_.written.back(), Report('P', "ABCDEF"));

  hid_.reply = Report('V', "5");
  EXPECT_TRUE(SendReaderCommand(hid_, 1, 'V', ParameterList{"57"}));
  EXPECT_EQ(hid_.written.back(), Report('V', "5")) << "an entry sends its first character";
  EXPECT_TRUE(SendTextCommand(hid_, 1, 'S', ""));
  EXPECT_EQ(hid_.written.back(), Report('S', ""));
}

TEST_F(ReportExchangeTest, OnlyA127WhereTheEchoDiffersIsARefusal) {
  hid_.reply = Report('P', "AX");
  EXPECT_TRUE(SendTextCommand(hid_, 1, 'P', "AB")) << "another byte than 127 is accepted";
  Bytes refused = Report('P', "AB");
  refused[3] = 127;
  hid_.reply = refused;
  EXPECT_FALSE(SendTextCommand(hid_, 1, 'P', "AB"));
  hid_.reply = Report(127, "");
  EXPECT_FALSE(SendTextCommand(hid_, 1, 'Q', ""));
  hid_.reply.reset();
  EXPECT_TRUE(SendTextCommand(hid_, 1, 'P', "AB")) << "a lost echo counts as delivered";
  hid_.write_result = false;
  EXPECT_FALSE(SendTextCommand(hid_, 1, 'P', "AB"));
}

// A query's text, empty when no answer came.
QString Asked(HidLibrary& hid, int handle, std::uint8_t code) {
  return AskReader(hid, handle, code).text.value_or(QString());
}

TEST_F(ReportExchangeTest, ReportLengthsBelowThreeBytes) {
  hid_.output_length = 2;
  EXPECT_FALSE(SendTextCommand(hid_, 1, 'P', "A"));
  EXPECT_TRUE(hid_.written.empty());
  hid_.output_length = 8;
  hid_.input_length = 2;
  EXPECT_TRUE(SendTextCommand(hid_, 1, 'P', "A"));
  EXPECT_EQ(hid_.reads, 0);
  EXPECT_EQ(Asked(hid_, 1, 'p'), "");
}

TEST_F(ReportExchangeTest, LongerInputThanOutputComparesWhatBothHave) {
  hid_.output_length = 4;
  hid_.input_length = 12;
  Bytes reply = Report('P', "AB", 12);
  reply[10] = 127;  // beyond what was sent: not a refusal of ours
  hid_.reply = reply;
  EXPECT_TRUE(SendTextCommand(hid_, 1, 'P', "ABCD"));
  EXPECT_EQ(hid_.written.back(), Report('P', "AB", 4));
}

TEST_F(ReportExchangeTest, WriteOnlyCommandsNeverRead) {
  EXPECT_TRUE(SendReaderCommand(hid_, 1, 'H'));
  EXPECT_EQ(hid_.written.back(), Report('H', ""));
  EXPECT_EQ(hid_.reads, 0);
}

TEST_F(ReportExchangeTest, QueryRepliesLoseTheirSpaces) {
  hid_.reply = Report('p', "");
  EXPECT_EQ(Asked(hid_, 1, 'p'), "");
  hid_.reply = Report('p', "A B C");
  EXPECT_EQ(Asked(hid_, 1, 'p'), "ABC");
  hid_.reply = Report('e', std::string_view("\0", 1));
  EXPECT_EQ(Asked(hid_, 1, 'e'), QString(QChar(0))) << "other bytes stay";
  EXPECT_TRUE(presenter_.shown.empty());
  hid_.reply.reset();
  EXPECT_EQ(Asked(hid_, 1, 'p'), "");
  hid_.write_result = false;
  EXPECT_EQ(Asked(hid_, 1, 'p'), "");
}

TEST_F(ReportExchangeTest, ARefusedQueryIsNoAnswerAndTellsNothingItself) {
  hid_.reply = Report(127, "3 x");
  const QueryReply reply = AskReader(hid_, 1, 'v');
  EXPECT_TRUE(reply.refused);
  EXPECT_EQ(reply.text, QString()) << "the bytes after the mark are no value";
  EXPECT_TRUE(presenter_.shown.empty()) << "whoever asked tells it";
  EXPECT_EQ(RefusedQueryText('v'),
            "Конфигуратор ситывателя вернул ошибку. «118» - неизвестная команда.");
}

TEST(TextToParametersTest, OneEntryPerCharacter) {
  EXPECT_EQ(TextToParameters("ab"), (ParameterList{"a", "b"}));
  EXPECT_TRUE(TextToParameters("").empty());
}

}  // namespace
}  // namespace kx12r
