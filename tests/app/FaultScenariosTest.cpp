#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "FakeClock.h"
#include "ScriptedPresenter.h"
#include "WindowClicks.h"
#include "app/Form1.h"
#include "simulator/SimulatedHidLibrary.h"
#include "settings/SettingsGridLayout.h"

namespace kx12r {
namespace {

using namespace std::chrono_literals;

// The main window over simulated readers that fail in the ways real ones do. Every scenario
// checks that nothing hangs (waits end on the injected clock), nothing goes to a device the
// program already knew was gone, and the list shows the readers still present.
class FaultScenariosTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, GetDatabasePath(folder_.path())));
    hid_.SetClock(clock_);
  }
  void TearDown() override { EXPECT_EQ(hid_.WritesToGoneDevices(), 0); }

  SimulatedReader& PlugReader(const char* serial, ReaderSettings settings = {.variant = 8}) {
    return hid_.Plug({.product_id = 0x00DF, .version = 0x0184, .serial_number = serial}, settings);
  }
  void Load() {
    form_ = Form1::Load(hid_, clock_, environment_);
    ASSERT_TRUE(form_);
    form_->show();
  }
  int Listed() const {
    int shown = 0;
    for (int row = 1; row < form_->MSFlexGrid1->Rows(); ++row) {
      shown += form_->MSFlexGrid1->RowHeight(row) > 0;
    }
    return shown;
  }
  QString LastMessage() const {
    return presenter_.shown.empty() ? QString() : presenter_.shown.back().text;
  }
  void Click(FlexGrid& grid, int row, int col) {
    ClickOver(grid, grid.CellGeometry(row, col).center());
  }
  // Load mode of the files tab on a file that sets everything.
  void LoadSettingsFile(bool all) {
    form_->SSTab1->setCurrentIndex(1);
    SettingsFilesTab& tab = *form_->FilesTab;
    QFile file(QDir(tab.Dir1->Path()).filePath("all.kxr"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "Variant=8\r\nPrefix=AB\r\nCode_format=5\r\nSuffix=C\r\nEnding=13\r\n"
        "buZzer_off=1\r\nstandAlone=0\r\nRepeat_message=1\r\n");
    file.close();
    tab.Option2->click();
    tab.File1->Refresh();
    tab.File1->SelectFirst();
    tab.PreviewSettingsFile();
    tab.Check1->setChecked(all);
  }

  QTemporaryDir folder_;
  SimulatedHidLibrary hid_;
  FakeClock clock_;
  ScriptedPresenter presenter_;
  StartupEnvironment environment_{folder_.path(), true, [] { return true; }, 10ms};
  std::unique_ptr<Form1> form_;
};

TEST_F(FaultScenariosTest, AReaderGoneInTheMiddleOfDiscovery) {
  PlugReader("00001");
  Load();
  auto& leaving = PlugReader("00002");
  hid_.UnplugAfterReports(leaving, 5);  // answers v and z, then is gone
  form_->Link().Timer1Tick();
  form_->Link().Timer1Tick();
  EXPECT_EQ(Listed(), 1);
  EXPECT_EQ(form_->Status().Text(1), "Подключенных устройств: 1");
  EXPECT_LT(clock_.Now(), 5s);
  EXPECT_TRUE(form_->Link().Timer1().isActive());
}

TEST_F(FaultScenariosTest, AReaderGoneInTheMiddleOfAnEdit) {
  auto& reader = PlugReader("00001", {.variant = 8, .prefix = "A"});
  Load();
  ReaderSettingsTab& tab = *form_->SettingsTab;
  Click(*tab.MSFlexGrid2, 8, kGridPrefix);
  ClickOver(*tab.CmdEdit, tab.CmdEdit->rect().center());
  ASSERT_TRUE(tab.Editor->IsOpen());
  hid_.Unplug(reader);
  Click(*tab.Editor->MSFlexGrid3, 3, 0);  // "A" again
  QTest::keyClick(tab.Editor->MSFlexGrid3, Qt::Key_Return);
  EXPECT_EQ(LastMessage(),
            "Не могу присвоить устройству новое значение для поля кода «Префикс  ».");
  EXPECT_FALSE(tab.Editor->IsOpen());
  form_->Link().Timer1Tick();  // waits up to 30 s for a device, then empties the list
  EXPECT_EQ(Listed(), 0);
  EXPECT_EQ(form_->Status().Text(1), "Нет подключенных устройств");
  EXPECT_FALSE(tab.MSFlexGrid2->isEnabled());
  EXPECT_LE(clock_.Now(), 31s);
}

TEST_F(FaultScenariosTest, AReaderGoneInTheMiddleOfAnApplyStopsIt) {
  auto& first = PlugReader("00001", {.variant = 1});
  Load();
  LoadSettingsFile(false);
  hid_.UnplugAfterReports(first, 4);  // takes V and P, gone before C
  form_->FilesTab->Command1->click();
  EXPECT_EQ(LastMessage(),
            "Загрузка из файла прервана. Ошибка установки параметра «Код формата метки».");
  EXPECT_EQ(form_->Link().SelectedReader().Values().prefix.text, "AB") << "what was written stays";
  EXPECT_TRUE(form_->Link().Timer1().isActive());
  form_->Link().Timer1Tick();
  EXPECT_EQ(Listed(), 0);
}

TEST_F(FaultScenariosTest, HalfOfThirtyTwoReadersGoneAtOnceDuringAnApplyToAll) {
  std::vector<SimulatedReader*> readers;
  for (int i = 0; i < 32; ++i) {
    readers.push_back(&PlugReader(QString("%1").arg(i, 5, 10, QChar('0')).toLatin1().constData(),
                                  {.variant = 1}));
  }
  Load();
  LoadSettingsFile(true);
  const int fifth = hid_.HandleOf(*readers[4]);
  hid_.on_write = [&](int handle) {
    if (handle != fifth) return;
    hid_.on_write = nullptr;
    for (int i = 16; i < 32; ++i) hid_.Unplug(*readers[i]);
  };
  for (auto* reader : readers) reader->ClearLog();
  form_->FilesTab->Command1->click();
  EXPECT_EQ(LastMessage(),
            "Загрузка из файла прервана. Ошибка установки параметра «Вариант посылки».");
  for (int i = 0; i < 16; ++i) EXPECT_EQ(readers[i]->ReceivedReports().size(), 8u) << i;
  for (int i = 16; i < 32; ++i) EXPECT_TRUE(readers[i]->ReceivedReports().empty()) << i;
  form_->Link().Timer1Tick();
  EXPECT_EQ(Listed(), 16);
}

TEST_F(FaultScenariosTest, OfSilentLateAndGarbledReadersOnlyTheLateOneIsListed) {
  auto& silent = PlugReader("00001", {.variant = 3});
  silent.SetAnswering(false);
  auto& garbled = PlugReader("00002", {.variant = 3});
  garbled.OverrideReply('v', "\x7F\x01junk");
  hid_.Plug({.product_id = 0x00DF,
             .version = 0x0184,
             .serial_number = "00003",
             .input_report_length = 2});  // too short to carry a reply
  auto& late = PlugReader("00004", {.variant = 3});
  late.SetAnswerDelay(150ms);
  Load();
  EXPECT_EQ(Listed(), 1) << "only the late reader answers at all";
  EXPECT_EQ(clock_.slept, kReadTimeout + 150ms * 8) << "every wait is bounded";
}

// Later than the read waits: the write counts as delivered, and the reply left over never
// answers the next command.
TEST_F(FaultScenariosTest, AReplyLaterThanTheReadWaitNeverAnswersTheNextCommand) {
  auto& late = PlugReader("00004", {.variant = 3});
  Load();
  late.SetAnswerDelay(kReadTimeout + 50ms);
  form_->SettingsTab->CheckBox1->click();
  EXPECT_TRUE(form_->Link().SelectedReader().Values().buzzer_off);
  late.SetAnswerDelay(0ms);
  late.RefuseCommand('A');
  form_->SettingsTab->CheckBox2->click();
  EXPECT_EQ(LastMessage(),
            "Не могу присвоить устройству новое значение параемтра «Разрешить автономную работу».");
}

#ifndef _WIN32  // a file size limit
TEST_F(FaultScenariosTest, SavingASettingsFileFailsWithoutHarmToTheOldOne) {
  PlugReader("00001");
  Load();
  form_->SSTab1->setCurrentIndex(1);
  SettingsFilesTab& tab = *form_->FilesTab;
  const QString path = QDir(tab.Dir1->Path()).filePath("Конфигурация.kxr");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old");
  old.close();

  QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  tab.Command1->click();  // Yes to replacing it
  EXPECT_TRUE(LastMessage().startsWith("Ошибка при сохранении файла конфигурации: «"));
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit full = saved;
  full.rlim_cur = 16;  // the disk fills up after 16 bytes
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &full);
  tab.Command1->click();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_TRUE(LastMessage().startsWith("Ошибка при сохранении файла конфигурации: «"));

  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old");
}
#endif

#ifndef _WIN32  // Windows keeps the name of a file in use
TEST_F(FaultScenariosTest, TheServiceDatabaseFailingWhileTheProgramRuns) {
  PlugReader("00001");
  Load();
  // Each box turns the event loop while it is up, as a real one does: the selection's other
  // lookups still meet no second box.
  presenter_.on_present = [](const ShownMessage&) { QCoreApplication::processEvents(); };
  const QString path = GetDatabasePath(folder_.path());
  auto select_reader = [&] {
    presenter_.shown.clear();
    QCoreApplication::processEvents();
    form_->Link().SelectReader();
    return presenter_.shown.size();
  };
  ASSERT_EQ(select_reader(), 0u);

  // Removed: one box for the lookups of the selection, none lost when it is back.
  ASSERT_TRUE(QFile::rename(path, path + ".aside"));
  EXPECT_EQ(select_reader(), 1u);
  EXPECT_EQ(LastMessage(), "Путь к базе данных " + path + " не существует.");
  ASSERT_TRUE(QFile::rename(path + ".aside", path));
  EXPECT_EQ(select_reader(), 0u);
  EXPECT_EQ(form_->SettingsTab->MSFlexGrid2->TextMatrix(8, kGridCodeFormat), "5x8b_DEC");

  // Locked by another program: the lookups wait a second at most, and the lock is told.
  {
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-program");
    other.setDatabaseName(path);
    ASSERT_TRUE(other.open());
    QSqlQuery lock(other);
    ASSERT_TRUE(lock.exec("BEGIN EXCLUSIVE"));
    EXPECT_EQ(select_reader(), 1u);
    EXPECT_TRUE(LastMessage().contains("база данных заблокирована другой программой"))
        << LastMessage().toStdString();
    lock.exec("ROLLBACK");
  }
  QSqlDatabase::removeDatabase("other-program");

  // Overwritten with garbage under the open connection: told once, then judged at opening.
  QFile garbage(path);
  ASSERT_TRUE(garbage.open(QIODevice::ReadWrite));
  garbage.write(QByteArray(8192, '\xAA'));
  garbage.close();
  EXPECT_EQ(select_reader(), 1u);
  EXPECT_TRUE(LastMessage().startsWith("Служебная база данных «" + path))
      << LastMessage().toStdString();
  EXPECT_EQ(select_reader(), 0u) << "the same fault is not told at every selection";
  EXPECT_EQ(Listed(), 1);
}
#endif

}  // namespace
}  // namespace kx12r
