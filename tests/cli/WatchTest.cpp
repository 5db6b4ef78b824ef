#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <deque>

#include "cli/Watch.h"
#include "reader/DemoReaders.h"
#include "reader/SimulatedKeyboardInputs.h"

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
  WatchSession Session(KeyboardInputs& keyboards,
                       std::function<ReaderFrame(const QString&)> frames) {
    return WatchSession(keyboards, QString(), std::move(frames),
                        {[this](const TypedMessage& m) { messages.push_back(m); },
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
    if (serial == "00158") return ReaderFrame{FrameOfVariant(3, "", "", 9, std::nullopt), QString()};
    return ReaderFrame{std::nullopt, "считыватель старый"};
  });
  session.Step(0ms);
  hid.GetItemCount();
  for (int index = 0; index < 3; ++index)
    hid.DeviceAt(hid.GetItem(index))->PresentCard(0x12345678AB);
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
  }
  serials.sort();
  EXPECT_EQ(serials, (QStringList{"00032", "00158", "00417"}));
  const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
  EXPECT_TRUE(first["typed"].toString().startsWith("#K"));
  EXPECT_TRUE(first["russian"].toString().startsWith("№Л"));
  EXPECT_EQ(first["verdict"].toString(), "matches") << lines[0].toStdString();
}

}  // namespace
}  // namespace kx12r::cli
