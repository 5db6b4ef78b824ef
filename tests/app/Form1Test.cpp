#include <gtest/gtest.h>

#include <QAccessible>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "FakeClock.h"
#include "ScriptedPresenter.h"
#include "WindowClicks.h"
#include "app/DemoDatabase.h"
#include "app/Form1.h"
#include "db/ServiceLookups.h"
#include "simulator/DemoReaders.h"
#include "simulator/SimulatedHidLibrary.h"
#include "ui/GridToolkit.h"

namespace kx12r {
namespace {

using namespace std::chrono_literals;

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, GetDatabasePath(folder_.path())));
    hid_.SetClock(clock_);
  }

  std::unique_ptr<Form1> Load() {
    auto form = Form1::Load(hid_, clock_, environment_);
    if (form) form->show();
    return form;
  }

  std::vector<int> ShownRows(const FlexGrid& grid) {
    std::vector<int> rows;
    for (int row = 1; row < grid.Rows(); ++row) {
      if (grid.RowHeight(row) > 0) rows.push_back(row);
    }
    return rows;
  }

  QTemporaryDir folder_;
  SimulatedHidLibrary hid_;
  FakeClock clock_;
  ScriptedPresenter presenter_;
  StartupEnvironment environment_{folder_.path(), true, [] { return false; }};
};

TEST_F(Form1Test, MissingDatabaseEndsTheProgramBeforeAnyWindow) {
  QFile::remove(GetDatabasePath(folder_.path()));
  EXPECT_EQ(Load(), nullptr);
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text,
            "Путь к служебной базе данных «" + GetDatabasePath(folder_.path()) +
                "» не существут. Дальнейшая работа в программе невозможна, она будет "
                "закрыта.");
  EXPECT_EQ(presenter_.shown[0].style, 16);
  EXPECT_EQ(presenter_.shown[0].title, "Ошибка!");
  EXPECT_FALSE(hid_.IsConnected());
}

TEST_F(Form1Test, TheDemoWorksOnAFreshCopyOfThePristineDatabase) {
  const QString pristine = GetDatabasePath(folder_.path());
  ASSERT_TRUE(QFile::setPermissions(pristine, QFileDevice::ReadOwner));  // as a resource is
  QTemporaryDir demo;
  const QString copy = CopyPristineDatabase(pristine, demo.path());
  EXPECT_EQ(copy, GetDatabasePath(demo.path()));
  {
    ServiceDatabase tried(copy, false);
    ASSERT_TRUE(tried.UpdateField({.Table = "UsersTable",
                                   .Field = "USER_PWD",
                                   .Value = "changed",
                                   .KeyField = "KEY",
                                   .KeyValue = "1"}));
  }
  EXPECT_EQ(CopyPristineDatabase(pristine, demo.path()), copy);
  {
    ServiceDatabase fresh(copy, false);
    EXPECT_TRUE(fresh.RecordExists(
        {.Table = "UsersTable", .KeyField = "USER_PWD", .KeyValue = "kx12r-admin"}));
    EXPECT_FALSE(fresh.RecordExists(
        {.Table = "UsersTable", .KeyField = "USER_PWD", .KeyValue = "changed"}));
  }
  EXPECT_EQ(DatabasePathOf(environment_), pristine);
  environment_.database_path = copy;
  EXPECT_EQ(DatabasePathOf(environment_), copy);
  EXPECT_EQ(CopyPristineDatabase(demo.path() + "/none.db", demo.path()), copy);
  EXPECT_FALSE(QFile::exists(copy)) << "no database rather than a stale one";
}

TEST_F(Form1Test, NoReaderConnected) {
  auto form = Load();
  ASSERT_TRUE(form);
  EXPECT_EQ(form->windowTitle(),
            "ТК «Сальвион системы» - Конфигуратор для считывателя «KX12R» v1.0.3");
  QStringList captions;
  for (int tab = 0; tab < form->SSTab1->count(); ++tab) captions << form->SSTab1->tabText(tab);
  EXPECT_EQ(captions,
            (QStringList{"Настройки считывателя", "Файлы настроек", "Специальные настройки",
                         "Обновление ПО", "Проверка считывания"}));
  EXPECT_EQ(form->Status().Text(1), "Нет подключенных устройств");
  EXPECT_EQ(form->Status().Icon(1), StatusIcon::kStop);
  EXPECT_FALSE(form->MSFlexGrid1->isEnabled());
  EXPECT_FALSE(form->SettingsTab->MSFlexGrid2->isEnabled());
  EXPECT_FALSE(form->SSTab1->isTabEnabled(1));
  EXPECT_FALSE(form->ProgressBar1->isVisible());
  EXPECT_TRUE(form->Link().Timer1().isActive());
  EXPECT_TRUE(presenter_.shown.empty());
}

TEST_F(Form1Test, DemoReadersAreListedAndTheOldOneIsExplained) {
  PlugDemoReaders(hid_);
  auto form = Load();
  ASSERT_TRUE(form);
  EXPECT_EQ(form->Status().Text(1), "Подключенных устройств: 3");
  EXPECT_EQ(ShownRows(*form->MSFlexGrid1), (std::vector<int>{1, 2, 3}));
  EXPECT_TRUE(form->SSTab1->isTabEnabled(1));

  // The last reader, firmware 1.53, is selected after start-up.
  EXPECT_EQ(form->MSFlexGrid1->Row(), 3);
  EXPECT_EQ(form->SettingsTab->Label1->text(),
            "ВНИМАНИЕ! Данная версия ПО не поддерживается Конфигуратором. Имеет только семь "
            "вариантов посылки, "
            "переключаемых «вручную». Для доступа к конфигурированию обновите ПО.");
  EXPECT_EQ(form->SettingsTab->Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_FALSE(form->SettingsTab->MSFlexGrid2->isEnabled());
  EXPECT_FALSE(form->Command3->isVisible());

  ClickOver(*form->MSFlexGrid1, form->MSFlexGrid1->CellGeometry(1, 2).center());
  EXPECT_EQ(form->MSFlexGrid1->Row(), 1);
  EXPECT_TRUE(form->SettingsTab->Label1->text().startsWith("Формат кода метки       : «"))
      << "the hint of the reader's variant 8 replaces the warning";
  EXPECT_TRUE(form->SettingsTab->MSFlexGrid2->isEnabled());
  EXPECT_TRUE(form->Command3->isVisible());
  EXPECT_EQ(form->Command3->toolTip(), "Вызвать светозвуковую индикацию считывателя");
  EXPECT_FALSE(form->Command4->isVisible()) << "only on the unlocked special-settings tab";
}

TEST_F(Form1Test, AScreenReaderHearsEachControlByARussianNameAndNoHiddenCell) {
  PlugDemoReaders(hid_);
  hid_.Plug({.vendor_id = 0x046D, .product_id = 0xC31C});  // a plain keyboard: a hidden row
  auto form = Load();
  ASSERT_TRUE(form);
  const ReaderSettingsTab& settings = *form->SettingsTab;
  const SettingsFilesTab& files = *form->FilesTab;
  const DatabasePageTab& page = *form->DatabaseTab;
  const CardTestTab& cards = *form->CardTab;
  const QWidget* controls[] = {form->MSFlexGrid1,
                               form->Command3,
                               form->Command4,
                               form->Text8,
                               form->ProgressBar1,
                               settings.MSFlexGrid2,
                               settings.CmdEdit,
                               settings.CheckBox1,
                               settings.Editor->MSFlexGrid3,
                               settings.Editor->MSFlexGrid4,
                               files.Drive1,
                               files.Dir1,
                               files.File1,
                               files.Text3,
                               files.ComboBox1,
                               files.MSFlexGrid5,
                               files.Option1,
                               files.Check1,
                               files.Command1,
                               page.Text7,
                               page.Text5,
                               page.Text6,
                               page.Command2,
                               page.Editors->MSFlexGrid6,
                               page.Editors->MSFlexGrid7,
                               page.Editors->MSFlexGrid8,
                               page.Editors->MSFlexGrid9,
                               page.Text4,
                               cards.Receiver,
                               cards.ClearLog,
                               cards.SaveLog,
                               cards.Verdict};
  const QRegularExpression russian("[А-Яа-яЁё]");
  for (const QWidget* control : controls) {
    const QString name = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(control))
                             ->text(QAccessible::Name);
    EXPECT_TRUE(name.contains(russian))
        << control->metaObject()->className() << ": " << name.toStdString();
  }
  EXPECT_EQ(QAccessible::queryAccessibleInterface(form->Command3)->text(QAccessible::Name),
            "Светозвуковая индикация");

  // The device list: its shown columns and the three readers, not the keyboard's hidden row.
  QAccessibleTableInterface* table =
      QAccessible::queryAccessibleInterface(form->MSFlexGrid1)->tableInterface();
  ASSERT_TRUE(table);
  int shown_columns = 0;
  for (int col = 0; col < form->MSFlexGrid1->Cols(); ++col) {
    if (form->MSFlexGrid1->ColWidth(col) > 0) ++shown_columns;
  }
  EXPECT_EQ(table->columnCount(), shown_columns);
  EXPECT_EQ(table->rowCount(), 3);
  EXPECT_EQ(table->columnDescription(0), "Vendor ID");
  EXPECT_EQ(table->cellAt(0, 0)->text(QAccessible::Name), "04D8");
  for (int row = 0; row < table->rowCount(); ++row) {
    for (int col = 0; col < table->columnCount(); ++col) {
      EXPECT_NE(table->cellAt(row, col)->text(QAccessible::Name), "-1") << "a hidden cache cell";
    }
  }
}

TEST_F(Form1Test, FlagBoxesShowTheSelectedReader) {
  PlugDemoReaders(hid_);
  auto form = Load();
  form->MSFlexGrid1->SetRow(2);
  form->Link().SelectReader();
  EXPECT_TRUE(form->SettingsTab->CheckBox1->isChecked())
      << "the 1.72 demo reader has its buzzer off";
  EXPECT_FALSE(form->SettingsTab->CheckBox2->isChecked());
}

TEST_F(Form1Test, AFailedConnectRunsNoDiscovery) {
  PlugDemoReaders(hid_);
  hid_.SetConnectResult(false);
  auto form = Load();
  ASSERT_TRUE(form);
  EXPECT_EQ(form->MSFlexGrid1->Rows(), 1);
}

TEST_F(Form1Test, ClosingIsRefusedWhileACellIsEdited) {
  PlugDemoReaders(hid_);
  auto form = Load();
  bool closed = true;
  QTimer::singleShot(0, [&] { closed = form->close(); });
  EXPECT_FALSE(EditGridCell(*form->MSFlexGrid1, *form->Text8, 1, 4))
      << "the edit ends as cancelled";
  EXPECT_FALSE(closed);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(presenter_.shown.empty())
      << "neither the closing question nor a changed-value question";
}

TEST_F(Form1Test, NoKeepsTheWindowAndTheDatabaseOpenYesClosesBoth) {
  PlugDemoReaders(hid_);
  auto form = Load();
  EXPECT_EQ(GetEndingKeyName(form->Database(), 13), "Enter");
  ASSERT_TRUE(form->Database().IsOpen());

  presenter_.Answer(MessageButton::kNo);
  EXPECT_FALSE(form->close());
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text,
            "Вы действительно хотите завершить сеанс работы в программе?");
  EXPECT_EQ(presenter_.shown[0].style, 36);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(form->Database().IsOpen());
  EXPECT_TRUE(hid_.IsConnected());

  presenter_.Answer(MessageButton::kYes);
  EXPECT_TRUE(form->close());
  EXPECT_FALSE(form->Database().IsOpen());
  EXPECT_FALSE(hid_.IsConnected());
}

TEST_F(Form1Test, ADevelopmentBuildClosesWithoutAsking) {
  environment_.compiled_run = false;
  auto form = Load();
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(presenter_.shown.empty());
}

TEST_F(Form1Test, AReaderWithoutAccessIsExplainedOnlyWhenTheRefusalLasts) {
  auto& granted = hid_.Plug({.product_id = 0x00DF, .version = 0x0184, .serial_number = "00777"});
  granted.SetAccessDenied(true);  // root's for the moment udev takes to hand it over
  auto form = Load();
  form->Link().Timer1Tick();
  EXPECT_TRUE(presenter_.shown.empty());
  clock_.Pause(1000ms);
  granted.SetAccessDenied(false);
  form->Link().Timer1Tick();
  EXPECT_EQ(ShownRows(*form->MSFlexGrid1), std::vector<int>{1}) << "listed once access came";
  EXPECT_TRUE(form->SettingsTab->MSFlexGrid2->isEnabled());

  auto& refused = hid_.Plug({.product_id = 0x00DF, .version = 0x0184, .serial_number = "00888"});
  refused.SetAccessDenied(true);
  form->Link().Timer1Tick();
  clock_.Pause(1500ms);
  form->Link().Timer1Tick();
  EXPECT_TRUE(presenter_.shown.empty());
  clock_.Pause(500ms);
  form->Link().Timer1Tick();
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_TRUE(presenter_.shown[0].text.contains("S/N «00888»"));
  EXPECT_TRUE(presenter_.shown[0].text.contains("70-kx12r.rules"));

  hid_.Unplug(refused);  // told once per run
  hid_.PlugBack(refused);
  form->Link().Timer1Tick();
  clock_.Pause(3000ms);
  form->Link().Timer1Tick();
  EXPECT_EQ(presenter_.shown.size(), 1u);
}

TEST_F(Form1Test, WithoutAReaderNothingCanBeEditedWhateverElseIsPlugged) {
  // A keyboard whose release number reads as firmware 64.00.
  hid_.Plug({.vendor_id = 0x046D, .product_id = 0xC31C, .version = 0x6400});
  auto form = Load();
  EXPECT_FALSE(form->SettingsTab->MSFlexGrid2->isEnabled());
  EXPECT_FALSE(form->Command3->isVisible());
  EXPECT_EQ(form->SettingsTab->Label1->text(), "");

  // The demo readers, all unplugged again.
  hid_.Unplug(*hid_.Plugged()[0]);
  PlugDemoReaders(hid_);
  form->Link().Timer1Tick();
  ASSERT_EQ(form->Status().Text(1), "Подключенных устройств: 3");
  for (SimulatedReader* reader : hid_.Plugged()) hid_.Unplug(*reader);
  form->Link().Timer1Tick();
  EXPECT_EQ(form->Status().Text(1), "Нет подключенных устройств");
  EXPECT_FALSE(form->SettingsTab->MSFlexGrid2->isEnabled());
  EXPECT_FALSE(form->Command3->isVisible());
  EXPECT_EQ(form->Link().SelectedReaderHandle(), 0);
}

TEST_F(Form1Test, ClosingDuringTheWaitForDevicesEndsEveryWaitAtOnce) {
  EventLoopClock real_clock;
  auto& reader = hid_.Plug({.product_id = 0x00DF, .version = 0x0184, .serial_number = "00417"});
  auto form = Form1::Load(hid_, real_clock, environment_);
  ASSERT_TRUE(form);
  form->show();
  hid_.Unplug(reader);  // the last device: discovery waits up to 30 s for one to come back
  QTimer::singleShot(100, form.get(), [&] { form->close(); });
  const auto start = std::chrono::steady_clock::now();
  form->Link().Timer1Tick();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(hid_.IsConnected());
  EXPECT_EQ(hid_.EnumerationsWhileDisconnected(), 0);
  EXPECT_FALSE(form->Link().Timer1().isActive()) << "no tick after the window closed";
}

TEST_F(Form1Test, TheSerialNumberButtonWaitsForTheUnlockedPage) {
  environment_.is_user_an_admin = [] { return true; };
  PlugDemoReaders(hid_);
  auto form = Load();
  form->MSFlexGrid1->SetRow(1);
  form->Link().SelectReader();
  form->SSTab1->setCurrentIndex(2);
  EXPECT_FALSE(form->Command4->isVisible());
  form->DatabaseTab->Text7->setText("kx12r-admin");
  QTest::keyClick(form->DatabaseTab->Text7, Qt::Key_Return);
  EXPECT_TRUE(form->Command4->isVisible());
  EXPECT_EQ(form->Command4->toolTip(), "Изменить серийный номер");
  EXPECT_EQ(form->Transaction, form->DatabaseTab->Editors->Transaction);

  form->Command3->click();
  EXPECT_EQ(hid_.Plugged()[0]->IndicationCount(), 1);
}

TEST_F(Form1Test, TabsRouteTheSelection) {
  PlugDemoReaders(hid_);
  auto form = Load();
  form->SSTab1->setCurrentIndex(2);
  EXPECT_FALSE(form->Command4->isVisible());
  form->MSFlexGrid1->SetRow(1);
  form->SSTab1->setCurrentIndex(0);
  EXPECT_TRUE(form->SettingsTab->MSFlexGrid2->isEnabled())
      << "tab 0 reloads the selected 1.84 reader";
}

}  // namespace
}  // namespace kx12r
