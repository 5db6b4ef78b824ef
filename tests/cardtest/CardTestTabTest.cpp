// The card test tab, its keys delivered as the window system delivers them: to the focused
// widget of the active window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTabWidget>
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
  PresentCard();
  ASSERT_EQ(tab_->ReadLog->Rows(), 2);
  EXPECT_TRUE(Logged(1, 1).startsWith("#K")) << Logged(1, 1).toStdString();
  EXPECT_TRUE(Logged(1, 1).endsWith("<Enter>"));
  EXPECT_TRUE(Logged(1, 2).startsWith("Совпадает с настройками считывателя: префикс «#K»"));
  EXPECT_EQ(QApplication::focusWidget(), tab_->Receiver) << "the button took no keys";

  ClickOver(*tab_->RussianLayout, tab_->RussianLayout->rect().center());
  PresentCard();
  ASSERT_EQ(tab_->ReadLog->Rows(), 3);
  EXPECT_TRUE(Logged(1, 1).startsWith("№Л"));
  EXPECT_TRUE(Logged(1, 2).startsWith(
      "В принимающей программе включена русская раскладка клавиатуры: считыватель набирает "
      "«#K"))
      << Logged(1, 2).toStdString();
  EXPECT_TRUE(Logged(2, 2).startsWith("Совпадает")) << "the older read moved down";
  EXPECT_TRUE(tab_->Receiver->text().isEmpty());

  ClickOver(*tab_->ClearLog, tab_->ClearLog->rect().center());
  EXPECT_EQ(tab_->ReadLog->Rows(), 1);
}

TEST_F(CardTestTabTest, TabEndsAReadAndStaysInTheField) {
  hid_.Plug({.serial_number = "00417"}, {.variant = 8, .prefix = "#K", .ending = 9});
  Start();
  Type("#K42");
  EXPECT_EQ(tab_->Receiver->text(), "#K42") << "the read in hand";
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), tab_->Receiver) << "Tab moved no focus";
  ASSERT_EQ(tab_->ReadLog->Rows(), 2);
  EXPECT_EQ(Logged(1, 1), "#K42<Tab>");
  EXPECT_EQ(Logged(1, 2),
            "Совпадает с настройками считывателя: префикс «#K», код «42», без суффикса, "
            "окончание Tab.");
  // Esc and Backspace are keys of the read too; a click on the tab brings the keys back.
  Type("#X1");
  Press(Qt::Key_Backspace);
  Press(Qt::Key_Escape);
  clock_.Sleep(CardTestTab::kStall);
  tab_->CheckPause();
  EXPECT_EQ(Logged(1, 1), "#X1<Backspace><Esc>");
  EXPECT_TRUE(
      Logged(1, 2).startsWith("Не совпадает с настройками считывателя: префикс: пришло "
                              "«#X», задано «#K»"))
      << Logged(1, 2).toStdString();
  ClickOver(*tab_->Intro, tab_->Intro->rect().center());
  EXPECT_EQ(QApplication::focusWidget(), tab_->Receiver);
}

TEST_F(CardTestTabTest, WithoutAnEndingOrAReaderAReadEndsAfterItsPause) {
  hid_.Plug({.serial_number = "00417"}, {.variant = 8, .ending = 0});
  Start();
  Type("123");
  clock_.Sleep(CardTestTab::kPause - 1ms);
  tab_->CheckPause();
  EXPECT_EQ(tab_->ReadLog->Rows(), 1) << "not quiet long enough";
  clock_.Sleep(1ms);
  tab_->CheckPause();
  ASSERT_EQ(tab_->ReadLog->Rows(), 2);
  EXPECT_EQ(Logged(1, 2),
            "Совпадает с настройками считывателя: без префикса, код «123», без суффикса, без "
            "окончания.")
      << Logged(1, 2).toStdString();

  hid_.Unplug(*hid_.DeviceAt(hid_.GetItem(0)));
  link_->Timer1Tick();
  ASSERT_FALSE(link_->HasSelectedReader());
  Type("7");
  clock_.Sleep(CardTestTab::kPause);
  tab_->CheckPause();
  EXPECT_EQ(Logged(1, 1), "7");
  EXPECT_EQ(Logged(1, 2), "Сравнить не с чем: считыватель не выбран.");
}

}  // namespace
}  // namespace kx12r
