// The card test tab, its keys delivered as the window system delivers them: to the focused
// widget of the active window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "ReaderWindow.h"
#include "WindowClicks.h"
#include "cardtest/CardTestTab.h"
#include "cardtest/DemoCards.h"

namespace kx12r {
namespace {

using namespace std::chrono_literals;

class CardTestTabTest : public ::testing::Test, protected ReaderWindow {
 protected:
  CardTestTabTest() : ReaderWindow({733, 487}) {
    tabs_ = new QTabWidget(&window_);
    tabs_->setGeometry(8, 120, 713, 310);
    tabs_->addTab(new QWidget, "Настройки считывателя");
    tab_ = new CardTestTab(*link_, clock_,
                           [this](int handle, bool russian) { cards_.Present(handle, russian); });
    tabs_->addTab(tab_, "Проверка считывания");
  }

  void Start() {
    window_.show();
    link_->DiscoverReaders(true);
    table_->SetRow(1);
    link_->SelectReader();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    tabs_->setCurrentWidget(tab_);
  }
  static void Type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }
  static void Press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
  void PresentCard() {
    ClickOver(*tab_->PresentCard, tab_->PresentCard->rect().center());
    QCoreApplication::processEvents();  // the posted keys arrive
  }
  QString Logged(int row, int col) const { return tab_->ReadLog->TextMatrix(row, col); }

  DemoCards cards_{hid_};
  QTabWidget* tabs_;
  CardTestTab* tab_;
};

TEST_F(CardTestTabTest, ADemoCardIsJudgedInEitherLayoutNewestOnTop) {
  hid_.Plug({.serial_number = "00417"}, {.variant = 8, .prefix = "#K", .ending = 13});
  Start();
  EXPECT_EQ(QApplication::focusWidget(), tab_->Receiver) << "the keys go to the field";
  EXPECT_EQ(tab_->Expected->text(),
            "Считыватель пришлет: #K, затем 15 десятичных цифр (5x8b_DEC), затем Enter. В "
            "программе с русской раскладкой придет «№Л…».");
  EXPECT_EQ(status_->Text(2), "изменяемый вариант");
  PresentCard();
  ASSERT_EQ(tab_->ReadLog->Rows(), 2);
  EXPECT_TRUE(Logged(1, 1).startsWith("#K")) << Logged(1, 1).toStdString();
  EXPECT_TRUE(Logged(1, 1).endsWith("<Enter>"));
  EXPECT_EQ(Logged(1, 2), "Совпадает");
  EXPECT_TRUE(
      tab_->Verdict->text().startsWith("Совпадает с настройками считывателя: префикс «#K»"));
  EXPECT_TRUE(tab_->Verdict->text().contains("\nНомер карты: десятичное ")) << "the card decoded";
  EXPECT_EQ(QApplication::focusWidget(), tab_->Receiver) << "the button took no keys";

  ClickOver(*tab_->RussianLayout, tab_->RussianLayout->rect().center());
  PresentCard();
  ASSERT_EQ(tab_->ReadLog->Rows(), 3);
  EXPECT_TRUE(Logged(1, 1).startsWith("№Л"));
  EXPECT_EQ(Logged(1, 2), "Русская раскладка");
  EXPECT_TRUE(tab_->ReadLog->item(0, 2)->toolTip().startsWith(
      "В принимающей программе включена русская раскладка клавиатуры"))
      << "the whole verdict in the row's tooltip";
  EXPECT_EQ(Logged(2, 2), "Совпадает") << "the older read moved down";
  EXPECT_EQ(tab_->Counters->text(), "Считываний: 2, совпадает: 1, не совпадает: 1");
  EXPECT_TRUE(tab_->Receiver->text().isEmpty());

  ClickOver(*tab_->ClearLog, tab_->ClearLog->rect().center());
  EXPECT_EQ(tab_->ReadLog->Rows(), 1);
  EXPECT_EQ(tab_->Counters->text(), "Считываний: 0, совпадает: 0, не совпадает: 0");
}

TEST_F(CardTestTabTest, ACardAfterAClickInTheDeviceListIsStillLogged) {
  hid_.Plug({.serial_number = "00417"}, {.variant = 8, .prefix = "#K", .ending = 13});
  hid_.Plug({.serial_number = "00418"}, {.variant = 2});
  Start();
  ClickOver(*table_, table_->CellGeometry(2, 3).center());
  ASSERT_EQ(QApplication::focusWidget(), table_);
  EXPECT_EQ(tab_->Expected->text(),
            "Считыватель пришлет: 15 десятичных цифр (5x8b_DEC), затем Enter.");
  EXPECT_EQ(status_->Text(2), "фиксированный вариант");
  PresentCard();
  ASSERT_EQ(tab_->ReadLog->Rows(), 2) << "the card went to the field, not the list";
  EXPECT_EQ(Logged(1, 2), "Совпадает");
  EXPECT_EQ(table_->Row(), 2) << "no key of the card moved the list";
}

TEST_F(CardTestTabTest, TheWindowsOwnKeysLeaveTheFieldAndAreNoRead) {
  hid_.Plug({.serial_number = "00417"}, {.variant = 8, .prefix = "#K", .ending = 9});
  Start();
  QTest::keyClick(tab_->Receiver, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(tabs_->currentIndex(), 0) << "Ctrl+Tab went to the next tab";
  tabs_->setCurrentWidget(tab_);
  QTest::keyClick(tab_->Receiver, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_NE(QApplication::focusWidget(), tab_->Receiver) << "Shift+Tab moved the focus";
  EXPECT_EQ(tab_->ReadLog->Rows(), 1) << "neither was a read";
  EXPECT_TRUE(tab_->Receiver->text().isEmpty());
}

TEST_F(CardTestTabTest, TabEndsAReadAndStaysInTheField) {
  hid_.Plug({.serial_number = "00417"},
            {.variant = 8, .prefix = "#K", .code_format = 10, .ending = 9});
  Start();
  Type("#K30891");
  EXPECT_EQ(tab_->Receiver->text(), "#K30891") << "the read in hand";
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), tab_->Receiver) << "Tab moved no focus";
  ASSERT_EQ(tab_->ReadLog->Rows(), 2);
  EXPECT_EQ(Logged(1, 1), "#K30891<Tab>");
  EXPECT_EQ(tab_->Verdict->text(),
            "Совпадает с настройками считывателя: префикс «#K», код «30891», без суффикса, "
            "окончание Tab.\nНомер карты: десятичное 30891, шестнадцатеричное 78AB.");
  // Esc, Backspace and a key with Ctrl are keys of the read too, shown as pressed.
  Type("#X1");
  Press(Qt::Key_Backspace);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
  Press(Qt::Key_Escape);
  clock_.Sleep(CardTestTab::kStall);
  tab_->CheckPause();
  EXPECT_EQ(Logged(1, 1), "#X1<Backspace><Ctrl+A><Esc>");
  EXPECT_EQ(Logged(1, 2), "Префикс, окончание");
  ClickOver(*tab_->Verdict, tab_->Verdict->rect().center());
  EXPECT_EQ(QApplication::focusWidget(), tab_->Receiver);
}

TEST_F(CardTestTabTest, WithoutAnEndingOrAReaderAReadEndsAfterItsPause) {
  hid_.Plug({.serial_number = "00417"}, {.variant = 8, .code_format = 10, .ending = 0});
  Start();
  Type("123");
  clock_.Sleep(CardTestTab::kPause - 1ms);
  tab_->CheckPause();
  EXPECT_EQ(tab_->ReadLog->Rows(), 1) << "not quiet long enough";
  clock_.Sleep(1ms);
  tab_->CheckPause();
  ASSERT_EQ(tab_->ReadLog->Rows(), 2);
  EXPECT_EQ(tab_->Verdict->text(),
            "Не совпадает с настройками считывателя: код: 3 цифры вместо 5.");

  hid_.Unplug(*hid_.Plugged()[0]);
  link_->Timer1Tick();
  ASSERT_FALSE(link_->HasSelectedReader());
  Type("7");
  clock_.Sleep(CardTestTab::kPause);
  tab_->CheckPause();
  EXPECT_EQ(Logged(1, 1), "7");
  EXPECT_EQ(Logged(1, 2), "Сравнить не с чем");

  // The log as CSV, oldest first, with the reader and the whole verdict.
  QTemporaryDir folder;
  const QString path = folder.filePath("log.csv");
  tab_->ChooseLogFile = [&] { return path; };
  ClickOver(*tab_->SaveLog, tab_->SaveLog->rect().center());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << "UTF-8 a spreadsheet recognises";
  const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n");
  ASSERT_EQ(lines.size(), 4);
  EXPECT_EQ(lines[0], "Время,Получено,Результат,Серийный номер,Вердикт");
  EXPECT_TRUE(lines[1].endsWith(
      ",\"123\",\"Код\",\"00417\",\"Не совпадает с настройками считывателя: код: 3 цифры "
      "вместо 5.\""))
      << lines[1].toStdString();
  EXPECT_TRUE(
      lines[2].endsWith(",\"7\",\"Сравнить не с чем\",\"\",\"Сравнить не с чем: "
                        "считыватель не выбран.\""));
}

}  // namespace
}  // namespace kx12r
