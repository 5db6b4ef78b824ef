#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <deque>
#include <set>

#include "cli/Watch.h"
#include "simulator/DemoReaders.h"
#include "simulator/SimulatedKeyboardInputs.h"

namespace kx12r::cli {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Keyboard interfaces whose reports the test hands out one step at a time.
class ScriptedKeyboards : public KeyboardInputs {
 public:
  std::vector<KeyboardInterface> Interfaces() override {
    std::vector<KeyboardInterface> present;
    for (const auto& [id, serial] : serials) present.push_back({serial, id});
    return present;
  }
  std::vector<std::uint8_t> Descriptor(const QString&) override { return {}; }
  ReadResult Read(const QString& id, std::vector<std::uint8_t>& report) override {
    if (!serials.contains(id)) return ReadResult::kGone;
    if (denied.contains(id)) return ReadResult::kDenied;
    auto& waiting = reports[id];
    if (waiting.empty()) return ReadResult::kNothing;
    report = waiting.front();
    waiting.pop_front();
    return ReadResult::kReport;
  }
  void Type(const QString& id, const char* text, int ending = 0) {
    std::vector<KeyStroke> keys;
    for (const char* c = text; *c; ++c) keys.push_back(*KeyForCharacter(*c));
    if (ending != 0) keys.push_back(*KeyForEnding(ending));
    for (auto& report : TypingReports(keys)) reports[id].push_back(report);
  }

  std::map<QString, QString> serials;
  std::map<QString, std::deque<Bytes>> reports;
  std::set<QString> denied;
};

class WatchSessionTest : public ::testing::Test {
 protected:
  // Readers set to send no prefix and no suffix, with the ending `endings` gives.
  WatchSession Session(KeyboardInputs& keyboards, std::function<int(const QString&)> endings) {
    const auto frames = [endings](const QString& serial) {
      return ReaderFrame{CardFrame{"", "", endings(serial)}, QString()};
    };
    return Session(keyboards, frames);
  }
  WatchSession Session(KeyboardInputs& keyboards, std::function<ReaderFrame(const QString&)> frames,
                       const QString& serial = QString()) {
    return WatchSession(
        keyboards, serial,
        WatchSession::Readers{std::move(frames),
                              [](const QString& serial) {
                                return QString("Нет доступа к считывателю «%1».").arg(serial);
                              }},
        WatchSession::Events{[this](const TypedMessage& m) { messages.push_back(m); },
                             [this](const QString& text) { notes.push_back(text); }});
  }
  std::vector<TypedMessage> messages;
  QStringList notes;
};

TEST_F(WatchSessionTest, TwoReadersTypingAtOnceGiveTheirOwnMessages) {
  SimulatedHidLibrary hid;
  PlugDemoReaders(hid);
  SimulatedKeyboardInputs keyboards(hid);
  WatchSession session = Session(keyboards, [](const QString& serial) {
    // As the demo readers are set; the old one cannot be asked.
    if (serial == "00417") return ReaderFrame{CardFrame{"#K", "", 13}, QString()};
    if (serial == "00158")
      return ReaderFrame{FrameOfVariant(3, "", "", 9, std::nullopt), QString()};
    return ReaderFrame{std::nullopt, "считыватель старый"};
  });
  session.Step(0ms);
  for (SimulatedReader* reader : hid.Plugged()) reader->PresentCard(0x12345678AB);
  session.Step(10ms);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].serial_number, "00417");
  EXPECT_EQ(messages[0].typed, "#K12345678AB<Enter>");
  EXPECT_EQ(messages[0].russian, "№Л12345678ФИ<Enter>");
  EXPECT_EQ(messages[0].ending, "Enter");
  EXPECT_EQ(messages[0].verdict.kind, CardVerdict::Kind::kMatches)
      << messages[0].verdict.text.toStdString();
  EXPECT_EQ(messages[1].typed, ";018052086120171?<Enter>");
  session.Step(50ms);
  EXPECT_EQ(messages.size(), 2u) << "the message without an ending key waits for its pause";
  session.Step(110ms);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[2].typed, "018052086120171");
  EXPECT_EQ(messages[2].ending, "");
  EXPECT_EQ(messages[2].verdict.text, "Сравнить не с чем: считыватель старый.");
}

TEST_F(WatchSessionTest, AMessageSplitOverStepsAndAReaderGoneInTheMiddleOfOne) {
  ScriptedKeyboards keyboards;
  keyboards.serials["a"] = "00417";
  keyboards.serials["b"] = "00158";
  WatchSession session = Session(keyboards, [](const QString&) { return 9; });
  session.Step(0ms);
  keyboards.Type("a", "#K1");
  keyboards.Type("b", "X");
  session.Step(10ms);
  keyboards.Type("a", "2", 9);
  session.Step(20ms);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].typed, "#K12<Tab>");

  keyboards.serials.erase("b");  // unplugged with "X" typed and no ending yet
  session.Step(WatchSession::kRescan + 20ms);
  EXPECT_EQ(notes.back(), "Считыватель «00158» отключен. Неоконченная посылка «X» отброшена.");
  keyboards.serials.erase("a");
  session.Step(2 * WatchSession::kRescan + 20ms);
  EXPECT_EQ(notes.back(), "Нет подключенных устройств. Ожидание считывателя.");
  keyboards.serials["c"] = "00999";
  session.Step(3 * WatchSession::kRescan + 20ms);
  EXPECT_EQ(notes.back(), "Считыватель «00999»: ожидание карты.");
}

TEST_F(WatchSessionTest, AReaderSetAnewIsAskedAgainWhenAMessageDoesNotFit) {
  ScriptedKeyboards keyboards;
  keyboards.serials["a"] = "00417";
  int ending = 13;
  int asked = 0;
  WatchSession session = Session(keyboards, [&](const QString&) {
    ++asked;
    return ReaderFrame{CardFrame{"#K", "", ending, 10}, QString()};
  });
  session.Step(0ms);
  ending = 9;  // set to Tab by another program while watched
  keyboards.Type("a", "#K30891", 9);
  session.Step(10ms);
  EXPECT_TRUE(messages.empty()) << "an Enter is awaited";
  session.Step(10ms + kMessageStall);
  ASSERT_EQ(messages.size(), 1u) << "a stall ends the message";
  EXPECT_EQ(messages[0].typed, "#K30891<Tab>");
  EXPECT_EQ(messages[0].verdict.kind, CardVerdict::Kind::kMatches)
      << messages[0].verdict.text.toStdString();
  EXPECT_EQ(messages[0].verdict.card->number, 30891u);
  EXPECT_EQ(asked, 2);
  keyboards.Type("a", "#K00001", 9);
  session.Step(2s);
  ASSERT_EQ(messages.size(), 2u) << "the new ending ends the next message at once";
  EXPECT_EQ(messages[1].ending, "Tab");
}

TEST_F(WatchSessionTest, AReaderWeMayNotReadIsToldOnceAndOneAskedForIsWaitedForAWhile) {
  ScriptedKeyboards keyboards;
  keyboards.serials["a"] = "00417";
  keyboards.denied.insert("a");
  WatchSession session = Session(keyboards, [](const QString&) { return 13; });
  for (int step = 0; step < 4; ++step) session.Step(step * WatchSession::kRescan);
  EXPECT_EQ(notes, QStringList{"Нет доступа к считывателю «00417»."});
  keyboards.denied.clear();  // the udev rule came
  session.Step(4 * WatchSession::kRescan);
  EXPECT_EQ(notes.back(), "Считыватель «00417»: ожидание карты.");

  WatchSession waiting = Session(
      keyboards, [](const QString&) { return ReaderFrame{}; }, "99999");
  waiting.Step(0ms);
  EXPECT_TRUE(waiting.WaitingForReader());
  EXPECT_FALSE(waiting.GaveUpWaiting(WatchSession::kWaitForReader - 1ms));
  EXPECT_TRUE(waiting.GaveUpWaiting(WatchSession::kWaitForReader));
}

TEST(WatchCommandTest, TheDemoReadersTypeTheirCards) {
  QProcess process;
  process.start(KX12RCTL, {"--demo", "watch", "--json", "--count", "3"});
  ASSERT_TRUE(process.waitForFinished(20000));
  EXPECT_EQ(process.exitCode(), 0);
  const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
  ASSERT_EQ(lines.size(), 3);
  QStringList serials;
  for (const QByteArray& line : lines) {
    const QJsonObject message = QJsonDocument::fromJson(line).object();
    serials << message["serial"].toString();
    EXPECT_TRUE(message.contains("russian"));
    EXPECT_TRUE(message.contains("time"));
    EXPECT_TRUE(message.contains("verdict")) << "in every message, null or not";
    EXPECT_TRUE(message.contains("code_valid") && message.contains("card"));
  }
  serials.sort();
  EXPECT_EQ(serials, (QStringList{"00032", "00158", "00417"}));
  const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
  EXPECT_TRUE(first["typed"].toString().startsWith("#K"));
  EXPECT_TRUE(first["russian"].toString().startsWith("№Л"));
  EXPECT_EQ(first["verdict"].toString(), "matches") << lines[0].toStdString();
}

#ifndef _WIN32  // no signal reaches a console program from outside
TEST(WatchCommandTest, ASignalWhileWaitingForTheReaderAskedForIsNoSuccess) {
  QProcess process;
  process.setReadChannel(QProcess::StandardError);
  process.start(KX12RCTL, {"--demo", "watch", "--serial", "99999"});
  ASSERT_TRUE(process.waitForStarted());
  while (!process.readAllStandardError().contains("99999") && process.waitForReadyRead(5000)) {
  }
  process.terminate();
  ASSERT_TRUE(process.waitForFinished(5000));
  EXPECT_EQ(process.exitCode(), 128 + 15);
}
#endif

}  // namespace
}  // namespace kx12r::cli
