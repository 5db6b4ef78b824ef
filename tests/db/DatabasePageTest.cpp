#include <gtest/gtest.h>

#include <QFile>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "BoxedDatabase.h"
#include "OtherProgramsLock.h"
#include "ScriptedPresenter.h"
#include "db/DatabasePageTab.h"
#include "db/ServiceLookups.h"

namespace kx12r {
namespace {

class DatabasePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, path_));
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
    window_.resize(733, 330);
    page_ = new DatabasePageTab(
        db_, true, QString(), [this](const QUrl& url) { opened_ << url; }, &window_);
    page_->setGeometry(0, 0, 713, 290);
    window_.show();
  }

  void Unlock(const QString& password = "kx12r-admin") {
    page_->ShowDatabasePage("Специальные настройки");
    page_->Text7->setText(password);
    QTest::keyClick(page_->Text7, Qt::Key_Return);
  }
  // Types `text` into the running edit and ends it with `key`.
  void EndEditWith(const QString& text, Qt::Key key = Qt::Key_Return,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTimer::singleShot(0, page_, [=, this] {
      EXPECT_TRUE(page_->Text4->IsEditing());
      page_->Text4->setText(text);
      QTest::keyClick(page_->Text4, key, modifiers);
    });
  }
  TableEditors& Editors() { return *page_->Editors; }
  QString Stored(const QString& sql) { return CellText(db_.SelectRows(sql)); }

  QTemporaryDir folder_;
  QString path_ = GetDatabasePath(folder_.path());
  ScriptedPresenter presenter_;
  BoxedDatabase db_{path_, false};
  QWidget window_;
  DatabasePageTab* page_;
  QList<QUrl> opened_;
};

TEST_F(DatabasePageTest, EditorKeysAreSixteenBit) {
  EXPECT_EQ(EditorKey("32767"), 32767);
  EXPECT_EQ(EditorKey("-32768"), -32768);
  EXPECT_EQ(EditorKey("32768"), std::nullopt);
  EXPECT_EQ(EditorKey("99999999999999999999999"), std::nullopt);
  EXPECT_EQ(EditorKey("abc"), std::nullopt);
  ASSERT_EQ(presenter_.shown.size(), 3u);
  EXPECT_EQ(presenter_.shown[0].text, "Операция завершена некорректно: «Переполнение»");
  EXPECT_EQ(presenter_.shown[1].text, "Операция завершена некорректно: «Переполнение»");
  EXPECT_EQ(presenter_.shown[2].text, "Операция завершена некорректно: «Несоответствие типов»");
}

TEST_F(DatabasePageTest, OnlyAUsersExactPasswordUnlocksThePage) {
  page_->ShowDatabasePage("Специальные настройки");
  EXPECT_EQ(page_->Label8->text(),
            "Посещение странички «Специальные настройки» требует "
            "регистрации. Для продолжения введите пароль.");
  EXPECT_EQ(page_->Label9->text(), "Карты и брелоки для считывателя «KX12R»");
  EXPECT_TRUE(page_->Text7->isEnabled());
  QSignalSpy unlocked(page_, &DatabasePageTab::Unlocked);

  for (const QString wrong : {"' OR '1'='1", "kx12r-admin2", "KX12R-ADMIN", ""}) {
    Unlock(wrong);
    EXPECT_FALSE(page_->DatabasePageUnlocked()) << wrong.toStdString();
    EXPECT_EQ(page_->Text7->text(), "");
  }
  ASSERT_EQ(presenter_.shown.size(), 4u);
  EXPECT_EQ(presenter_.shown[0].text, "Пароль неверный.");

  Unlock("  kx12r-admin ");
  EXPECT_TRUE(page_->DatabasePageUnlocked());
  EXPECT_EQ(unlocked.count(), 1);
  EXPECT_FALSE(page_->Text7->isVisible());
  EXPECT_TRUE(Editors().MSFlexGrid6->isVisible());
  EXPECT_EQ(Editors().MSFlexGrid6->TextMatrix(2, 2), "5x8b_DEC");
  EXPECT_EQ(Editors().MSFlexGrid8->TextMatrix(1, 1), "Администратор");
  EXPECT_EQ(Editors().Label3->text(), Editors().MSFlexGrid6->TextMatrix(1, 3));
  page_->ShowDatabasePage("Специальные настройки");
  EXPECT_FALSE(page_->Label8->isVisible()) << "unlocked for the rest of the run";
}

TEST_F(DatabasePageTest, ALockedDatabaseIsToldAsItIsNotAsAWrongPassword) {
  BoxedDatabase waiting(path_, false, std::chrono::milliseconds(10));
  DatabasePageTab page(waiting, true);
  const OtherProgramsLock lock(path_);
  ASSERT_TRUE(lock.Held());
  page.ShowDatabasePage("x");
  page.Text7->setText("kx12r-admin");
  QTest::keyClick(page.Text7, Qt::Key_Return);
  EXPECT_FALSE(page.DatabasePageUnlocked());
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_TRUE(presenter_.shown[0].text.contains("заблокирована другой программой"))
      << presenter_.shown[0].text.toStdString();
  EXPECT_EQ(page.Text7->text(), "kx12r-admin") << "kept for another try";
}

TEST_F(DatabasePageTest, PasswordsAreTextAndAnEmptyOneNeverUnlocks) {
  ASSERT_TRUE(db_.UpdateField({.Table = "UsersTable",
                               .Field = "USER_PWD",
                               .Value = "012345",
                               .KeyField = "KEY",
                               .KeyValue = "1"}));
  Unlock("12345");
  EXPECT_FALSE(page_->DatabasePageUnlocked());
  Unlock("012345");
  EXPECT_TRUE(page_->DatabasePageUnlocked());

  DatabasePageTab other(db_, true);
  DbRequest user{.Table = "UsersTable", .KeyField = "KEY"};
  ASSERT_TRUE(db_.InsertRecord(user));  // a user whose password was never set
  other.ShowDatabasePage("x");
  QTest::keyClick(other.Text7, Qt::Key_Return);
  EXPECT_FALSE(other.DatabasePageUnlocked());
  other.Text7->setText("   ");
  QTest::keyClick(other.Text7, Qt::Key_Return);
  EXPECT_FALSE(other.DatabasePageUnlocked());
  EXPECT_EQ(presenter_.shown.back().text, "Пароль неверный.");

  DatabasePageTab no_admin(db_, false);
  no_admin.ShowDatabasePage("x");
  EXPECT_FALSE(no_admin.Text7->isEnabled());
}

TEST_F(DatabasePageTest, ChangingAPasswordChecksLengthAndConfirmation) {
  Unlock();
  page_->Command2->click();
  EXPECT_TRUE(page_->Text5->isEnabled());
  page_->Text5->setText("  12345 ");
  QTest::keyClick(page_->Text5, Qt::Key_Return);
  EXPECT_EQ(presenter_.shown.back().text, "Пароль не может быть короче шести символов.");
  EXPECT_EQ(page_->Text5->text(), "");
  page_->Text5->setText(QString(51, 'x'));
  QTest::keyClick(page_->Text5, Qt::Key_Return);
  EXPECT_EQ(presenter_.shown.back().text, "Пароль не может быть длиннее пятидесяти символов.");
  page_->Text5->setText(" " + QString(50, 'x') + " ");
  QTest::keyClick(page_->Text5, Qt::Key_Return);
  EXPECT_FALSE(page_->Text5->isEnabled());
  ASSERT_TRUE(page_->Text6->isEnabled());
  page_->Text6->setText(QString(49, 'x') + "y");
  QTest::keyClick(page_->Text6, Qt::Key_Return);
  EXPECT_EQ(presenter_.shown.back().text, "«Пароль» и «Подтверждение» различны. Повторите ввод.");
  page_->Text6->setText(QString(50, 'x'));
  QTest::keyClick(page_->Text6, Qt::Key_Return);
  EXPECT_EQ(Stored("SELECT USER_PWD FROM UsersTable WHERE KEY=1"), QString(50, 'x'));
  EXPECT_FALSE(page_->Text6->isEnabled());
  EXPECT_EQ(page_->Text5->text(), "");
  EXPECT_EQ(presenter_.shown.size(), 3u);
}

TEST_F(DatabasePageTest, TheMenuOffersWhatEachGridAllows) {
  Unlock();
  auto state = [&](FlexGrid* grid) {
    Editors().ConfigureTableMenu(grid);
    QStringList items;
    for (QAction* action : {Editors().add, Editors().Edit->menuAction(), Editors().EditCode,
                            Editors().EditName, Editors().EditDescription, Editors().remove}) {
      items << QString(action->isVisible() ? "v" : "-") + (action->isEnabled() ? "e" : "-");
    }
    return (items.join(" ") + " " + Editors().EditCode->text() + "/" + Editors().EditName->text())
        .toStdString();
  };
  EXPECT_EQ(state(Editors().MSFlexGrid6), "ve ve ve ve ve ve ID/Формат кода метки");
  EXPECT_EQ(state(Editors().MSFlexGrid7), "ve ve ve ve -- ve CHR/Keyboard key");
  EXPECT_EQ(state(Editors().MSFlexGrid8), "ve v- -- v- -- v- /Имя пользователя")
      << "the administrator keeps its name and its row";
  EXPECT_EQ(state(Editors().MSFlexGrid9), "-- ve ve ve v- -- Наименование/Значение")
      << "the note lies beyond the view";
  Editors().MSFlexGrid9->scrollTo(Editors().MSFlexGrid9->model()->index(0, 2),
                                  QAbstractItemView::PositionAtTop);
  EXPECT_EQ(state(Editors().MSFlexGrid9), "-- ve v- ve v- -- Наименование/Значение")
      << "only the value column is in view";
  EXPECT_EQ(state(nullptr), "-- -- -- v- -- -- /");
}

TEST_F(DatabasePageTest, NumbersStayUniqueAndNeverWrap) {
  Unlock();
  FlexGrid& grid = *Editors().MSFlexGrid6;
  Editors().AddCodeVariant();
  const int row = grid.Rows() - 1;
  EXPECT_EQ(grid.Row(), row);
  EXPECT_EQ(grid.TextMatrix(row, 0), "14");
  EXPECT_EQ(grid.TextMatrix(row, 1), "0");
  EXPECT_EQ(Stored("SELECT COUNT(*) FROM CodeVariantsTable WHERE KEY=14 AND ID IS NULL"), "1");

  // A number another row has: asked; No keeps the old number in the database and the cell.
  presenter_.Answer(MessageButton::kNo);
  EndEditWith("12");
  Editors().EditCodeVariantId();
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text,
            "ID=12 для формата кода метки уже существует. «Да» - "
            "изменить, «Нет» - завершить редактирование.");
  EXPECT_EQ(presenter_.shown[0].style, 36);
  EXPECT_EQ(grid.TextMatrix(row, 1), "0");

  // Yes opens the editor again on the same cell.
  presenter_.Answer(MessageButton::kYes);
  EndEditWith("3");
  presenter_.on_present = [this](const ShownMessage&) { EndEditWith("13.5x"); };
  Editors().EditCodeVariantId();
  presenter_.on_present = nullptr;
  EXPECT_EQ(presenter_.shown.back().text.left(5), "ID=3 ");
  EXPECT_EQ(grid.TextMatrix(row, 1), "14") << "13.5 rounds to the even 14";
  EXPECT_EQ(Stored("SELECT ID FROM CodeVariantsTable WHERE KEY=14"), "14");

  EndEditWith("70000");
  Editors().EditCodeVariantId();
  EXPECT_EQ(presenter_.shown.back().text, "Операция завершена некорректно: «Переполнение»");
  EXPECT_EQ(grid.TextMatrix(row, 1), "14");
  EXPECT_EQ(Stored("SELECT ID FROM CodeVariantsTable WHERE KEY=14"), "14") << "not 4464";
}

TEST_F(DatabasePageTest, TextsAndDescriptionsAreWrittenAsTyped) {
  Unlock();
  FlexGrid& formats = *Editors().MSFlexGrid6;
  EndEditWith(" Мой формат ");
  Editors().EditCodeVariantName();
  EXPECT_EQ(Stored("SELECT NAME FROM CodeVariantsTable WHERE ID=0"), " Мой формат ");

  // Enter does not end a description; Ctrl+Enter does.
  QTimer::singleShot(0, page_, [this] {
    page_->Text4->setText("Новое описание");
    QTest::keyClick(page_->Text4, Qt::Key_Return);
    EXPECT_TRUE(page_->Text4->IsEditing());
    QTest::keyClick(page_->Text4, Qt::Key_Return, Qt::ControlModifier);
  });
  Editors().EditCodeVariantDescription();
  EXPECT_EQ(Stored("SELECT DESCRIPTION FROM CodeVariantsTable WHERE ID=0"), "Новое описание");
  EXPECT_EQ(formats.TextMatrix(1, 3), "Новое описание");
  EXPECT_TRUE(formats.isEnabled());

  FlexGrid& setup = *Editors().MSFlexGrid9;
  EndEditWith("https://example.org/", Qt::Key_Escape);
  presenter_.Answer(MessageButton::kNo);
  Editors().EditSetupCell(2);
  EXPECT_EQ(setup.TextMatrix(1, 2), "https://salvion.ru/cards/");
  EndEditWith("https://example.org/");
  Editors().EditSetupCell(2);
  EXPECT_EQ(GetSetupValue(db_, kCardsAdvertisingUrl), "https://example.org/");
}

TEST_F(DatabasePageTest, RowsAreAddedAndRemovedWithTheirDatabaseRows) {
  Unlock();
  FlexGrid& formats = *Editors().MSFlexGrid6;
  while (formats.HasDataRows()) Editors().RemoveCodeVariant();
  EXPECT_EQ(formats.Rows(), 1);
  EXPECT_EQ(Editors().Label3->text(), "");
  EXPECT_EQ(Stored("SELECT COUNT(*) FROM CodeVariantsTable"), "0");

  EndEditWith("Техник");
  Editors().AddUser();
  EXPECT_EQ(Stored("SELECT USER_NAME FROM UsersTable WHERE KEY=2"), "Техник");
  EXPECT_EQ(Editors().MSFlexGrid8->TextMatrix(2, 1), "Техник");
  Editors().RemoveUser();
  EXPECT_EQ(Stored("SELECT COUNT(*) FROM UsersTable"), "1");
  Editors().RemoveUser();  // the administrator stays
  EXPECT_EQ(Stored("SELECT COUNT(*) FROM UsersTable"), "1");
}

TEST_F(DatabasePageTest, AFailedUserInsertOpensNoEditor) {
  BoxedDatabase read_only(path_, true);
  DatabasePageTab page(read_only, true);
  page.ShowDatabasePage("x");
  page.Text7->setText("kx12r-admin");
  QTest::keyClick(page.Text7, Qt::Key_Return);
  ASSERT_TRUE(page.DatabasePageUnlocked());
  bool editor_opened = false;
  QTimer::singleShot(0, &page, [&] {
    editor_opened = page.Text4->IsEditing();
    if (editor_opened) page.Text4->CancelEdit();
  });
  page.Editors->AddUser();
  QCoreApplication::processEvents();
  EXPECT_FALSE(editor_opened) << "the current row is the administrator's";
  EXPECT_EQ(page.Editors->MSFlexGrid8->Rows(), 2);
}

TEST_F(DatabasePageTest, AnAdministratorWhoCannotWriteTheFileIsToldWhyOnUnlocking) {
  DatabasePageTab page(db_, true, "Служебная база данных «x» открыта только для чтения");
  page.ShowDatabasePage("x");
  page.Text7->setText("kx12r-admin");
  QTest::keyClick(page.Text7, Qt::Key_Return);
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text, "Служебная база данных «x» открыта только для чтения");
  EXPECT_EQ(WhyDatabaseIsReadOnly(path_), "") << "this test's copy may be written";
}

TEST_F(DatabasePageTest, TheLinkOpensTheStoredAddress) {
  page_->ShowDatabasePage("Специальные настройки");
  const QColor navy(0, 0, 0x80);
  EXPECT_EQ(page_->Label9->palette().color(QPalette::WindowText), navy);
  QTest::mouseMove(page_->Label9);
  EXPECT_EQ(page_->Label9->palette().color(QPalette::WindowText), QColor(0, 0, 0xFF));
  QTest::mouseClick(page_->Label9, Qt::LeftButton);
  EXPECT_EQ(opened_, QList<QUrl>{QUrl("https://salvion.ru/cards/")});
  QTest::mouseMove(page_->Label8);
  EXPECT_EQ(page_->Label9->palette().color(QPalette::WindowText), navy);

  // Anything but a web page's address stays away from the desktop.
  for (const char* address :
       {"file:///etc/passwd", "/etc/passwd", "mailto:a@b.ru", "https://", "javascript:alert(1)"}) {
    ASSERT_TRUE(db_.UpdateField({.Table = "SetupTable",
                                 .Field = "P_VAL",
                                 .Value = address,
                                 .KeyField = "P_NAME",
                                 .KeyValue = "CARDS_ADVERTISING_URL"}));
    QTest::mouseClick(page_->Label9, Qt::LeftButton);
    EXPECT_EQ(presenter_.shown.back().text,
              QString("Адрес «") + address + "» не является адресом веб-страницы.");
  }
  EXPECT_EQ(opened_.size(), 1);
}

}  // namespace
}  // namespace kx12r
