#include <QTimer>

#include "SettingsTabFixture.h"
#include "settings/SerialNumber.h"

namespace kx12r {
namespace {

TEST(SerialNumberQuestionTest, TheFirstFaultIsAsked) {
  auto question = [](const QString& number) {
    return SerialNumberQuestion(number, {"00158"}).value_or("ok").toStdString();
  };
  const std::string go_on = " «Да» продолжить, «Нет» - отменить операцию.";
  EXPECT_EQ(question("123C9"), "ok");
  EXPECT_EQ(question("12345"), "Серийный номер содержит некорректный год «5»." + go_on);
  EXPECT_EQ(question("123c9"), "Серийный номер содержит некорректный месяц «c»." + go_on);
  EXPECT_EQ(question("123"), "Серийный номер содержит некорректный месяц «»." + go_on);
  EXPECT_EQ(question("1234"), "Серийный номер содержит некорректный год «»." + go_on);
  EXPECT_EQ(question("123456"), "Серийный номер не может быть более пяти символов." + go_on);
  EXPECT_EQ(question("1 3C9"), "Серийный номер содержит недопустимый символ « »." + go_on);
  EXPECT_EQ(question("00158"),
            "Заданный серийный номер «00158» не является уникальным для загруженных "
            "HID-устройств." +
                go_on);
}

class SerialNumberTest : public SettingsTabFixture {
 protected:
  void SetUp() override {
    editor_ = new EditorBox(&window_);
    editor_->hide();
  }
  // Types `text` into the next edit of the serial-number cell and presses `key`.
  void Type(const QString& text, Qt::Key key = Qt::Key_Return) {
    QTimer::singleShot(0, editor_, [=, this] {
      editor_->setText(text);
      QTest::keyClick(editor_, key);
    });
  }
  QString Serial(int row = 1) const {
    return table_->TextMatrix(row, DeviceList::kSerialNumberColumn);
  }

  EditorBox* editor_;
};

TEST_F(SerialNumberTest, ATrimmedNumberIsWrittenAndCached) {
  auto& reader = PlugReader({.variant = 8});
  Start();
  Type("  123C9 ");
  ChangeSerialNumber(*link_, *editor_);
  EXPECT_EQ(reader.ReceivedReports(), std::vector<Bytes>{Report('N', "123C9")});
  EXPECT_EQ(Serial(), "123C9");
  EXPECT_TRUE(presenter_.shown.empty());
}

TEST_F(SerialNumberTest, EveryWayOutWithoutAWriteShowsTheOldNumber) {
  auto& reader = PlugReader({.variant = 8});
  hid_.Plug({.vendor_id = 0x046D, .product_id = 0xC31C, .serial_number = "123C9"});
  auto& other = PlugReader({.variant = 8});
  other.Identity().serial_number = "00158";
  Start();
  ASSERT_EQ(Serial(), "00417");

  Type("1234567");  // too long; "Нет"
  presenter_.Answer(MessageButton::kNo);
  ChangeSerialNumber(*link_, *editor_);
  EXPECT_EQ(Serial(), "00417");

  Type("00158");  // another reader has it; "Да", then the correction is cancelled
  presenter_.Answer(MessageButton::kYes);
  presenter_.on_present = [this](const ShownMessage& shown) {
    if (shown.text.startsWith("Заданный")) Type("x", Qt::Key_Escape);
  };
  presenter_.Answer(MessageButton::kNo);  // keep the changed text? No
  ChangeSerialNumber(*link_, *editor_);
  presenter_.on_present = nullptr;
  EXPECT_EQ(Serial(), "00417");
  EXPECT_TRUE(presenter_.shown[1].text.startsWith("Заданный серийный номер «00158»"));

  Type("123C9");  // a keyboard's number is no duplicate; the reader refuses it
  reader.RefuseCommand('N');
  ChangeSerialNumber(*link_, *editor_);
  EXPECT_EQ(presenter_.shown.back().text,
            "Ошибка присвоения считывателю нового серийного номера. Операция не выполнена.");
  EXPECT_EQ(Serial(), "00417");
  EXPECT_EQ(reader.ReceivedReports().size(), 1u);
}

TEST_F(SerialNumberTest, AReaderPluggedDuringTheEditLeavesTheNumberOnTheEditedReader) {
  auto& edited = PlugReader({.variant = 8});
  Start();
  const int handle = hid_.HandleOf(edited);
  link_->Timer1().start();  // as the window runs it
  QTimer::singleShot(0, editor_, [this] {
    EXPECT_FALSE(link_->Timer1().isActive()) << "discovery pauses for the whole edit";
    hid_.Plug({.product_id = 0x0002, .version = 0x0184, .serial_number = "00158"}, {.variant = 3},
              0);
    if (link_->Timer1().isActive()) link_->Timer1Tick();
    editor_->setText("123C9");
    QTest::keyClick(editor_, Qt::Key_Return);
  });
  ChangeSerialNumber(*link_, *editor_);
  EXPECT_EQ(edited.ReceivedReports(), std::vector<Bytes>{Report('N', "123C9")});
  EXPECT_TRUE(link_->Timer1().isActive());
  const int row = link_->Devices().RowOf(handle);
  ASSERT_GT(row, 0);
  EXPECT_EQ(Serial(row), "123C9");
  for (int other = 1; other < table_->Rows(); ++other) {
    if (other != row) {
      EXPECT_NE(Serial(other), "123C9") << "row " << other;
    }
  }
}

TEST_F(SerialNumberTest, IndicationIsWrittenOnlyAndItsReplyNeverAnswersALaterQuery) {
  auto& reader = PlugReader({.variant = 3});
  Start();
  CallIndication(*link_);
  EXPECT_EQ(reader.ReceivedReports(), std::vector<Bytes>{Report('H', "")});
  EXPECT_EQ(reader.IndicationCount(), 1);
  EXPECT_EQ(AskReader(hid_, link_->SelectedReaderHandle(), 'v').text, "3")
      << "the H reply left waiting is not the answer to v";
  reader.FailNextWrite();
  CallIndication(*link_);
  EXPECT_EQ(presenter_.shown.back().text, "Ошибка при вызове светозвуковой индикации считывателя.");
}

}  // namespace
}  // namespace kx12r
