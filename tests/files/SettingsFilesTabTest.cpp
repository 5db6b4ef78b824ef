#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "BoxedDatabase.h"
#include "ReaderReports.h"
#include "ReaderWindow.h"
#include "ScriptedPresenter.h"
#include "files/SettingsFilesTab.h"
#include "reader/CardRead.h"

namespace kx12r {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SettingsFilesTabTest : public ::testing::Test, protected ReaderWindow {
 protected:
  SettingsFilesTabTest() : ReaderWindow({733, 487}) {}
  void SetUp() override {
    qputenv("HOME", home_.path().toUtf8());
    ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, GetDatabasePath(program_.path())));
    tab_ = new SettingsFilesTab(*link_, db_, program_.path(), &window_);
    tab_->setGeometry(8, 140, 713, 290);
  }

  SimulatedReader& PlugReader(ReaderSettings settings = {.variant = 8, .prefix = "#K"},
                              std::uint16_t version = 0x0184) {
    return hid_.Plug({.version = version, .serial_number = "00417"}, settings);
  }
  void Open(int row = 1) {
    window_.show();
    link_->DiscoverReaders(true);
    table_->SetRow(row);
    tab_->SetUpFilesTab();
    view_.progress_log.clear();
  }
  QString Folder() const { return QDir(program_.path()).filePath("Cfg-files"); }
  void WriteFile(const QString& name, const QByteArray& bytes) {
    QFile file(QDir(Folder()).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }
  QByteArray ReadFile(const QString& name) {
    QFile file(QDir(Folder()).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
  }
  // Load mode on the named file.
  void Load(const QString& name) {
    tab_->Option2->click();
    tab_->File1->SetFolder(Folder());
    const auto items = tab_->File1->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    tab_->File1->setCurrentItem(items.front());
    emit tab_->File1->itemClicked(items.front());
    for (int handle = 1; handle < 64; ++handle) {
      if (auto* device = hid_.DeviceAt(handle)) device->ClearLog();
    }
  }
  QString Preview(int row) const { return tab_->MSFlexGrid5->TextMatrix(row, 1); }
  QString LastMessage() const {
    return presenter_.shown.empty() ? QString() : presenter_.shown.back().text;
  }

  static QByteArray File(std::initializer_list<const char*> lines) {
    QByteArray bytes;
    for (const char* line : lines) bytes += QByteArray(line) + "\r\n";
    return bytes;
  }
  const QByteArray kWholeFile =
      File({"Variant=8", "Prefix=AB", "Code_format=5", "Suffix=", "Ending=9", "buZzer_off=1",
            "standAlone=0", "Repeat_message=1"});

  QTemporaryDir program_;
  QTemporaryDir home_;
  ScriptedPresenter presenter_;
  BoxedDatabase db_{GetDatabasePath(program_.path()), false};
  SettingsFilesTab* tab_;
};

TEST_F(SettingsFilesTabTest, SavesTheSelectedReaderAndAsksBeforeReplacingAFile) {
  PlugReader({.variant = 8, .prefix = "#", .code_format = 3, .ending = 13, .buzzer_off = true});
  Open();
  EXPECT_TRUE(QFileInfo(Folder()).isDir()) << "made beside the program";
  EXPECT_TRUE(tab_->Option1->isChecked());
  EXPECT_EQ(tab_->Text3->text(), "Конфигурация ");
  EXPECT_EQ(tab_->Text3->selectedText(), "Конфигурация ");
  EXPECT_FALSE(tab_->File1->isEnabled());
  EXPECT_EQ(tab_->ComboBox1->currentText(), "Файлы настроек (*.kxr)");
  QStringList preview;
  for (int row = 1; row <= 8; ++row) preview << Preview(row);
  EXPECT_EQ(preview.join("|"), "8|#|32b_DEC|нет|Enter|Да|Нет|Нет");
  EXPECT_EQ(tab_->MSFlexGrid5->TextMatrix(6, 0), "Отключить «Буззер»");

  QTest::keyClick(tab_->Text3, Qt::Key_Return);
  EXPECT_EQ(ReadFile("Конфигурация.kxr"),
            File({"Variant=8", "Prefix=#", "Code_format=3", "Suffix=", "Ending=13", "buZzer_off=1",
                  "standAlone=0", "Repeat_message=0", ""}));
  EXPECT_EQ(LastMessage(), "Файл конфигурации сохранен успешно.");

  link_->SetSelectedReaderField(SettingsKey::kPrefix, Affix{"Z"});
  presenter_.Answer(MessageButton::kNo);
  tab_->Command1->click();
  EXPECT_EQ(LastMessage(), "Файл конфигурации «" + QDir(Folder()).filePath("Конфигурация.kxr") +
                               "» уже существует. «Да» - продолжить, «Нет» - отменить операцию.");
  EXPECT_TRUE(ReadFile("Конфигурация.kxr").contains("Prefix=#\r\n")) << "No keeps the old file";
  presenter_.Answer(MessageButton::kYes);
  tab_->Command1->click();
  EXPECT_TRUE(ReadFile("Конфигурация.kxr").contains("Prefix=Z\r\n"));

  // The folder gone under the tab: the old file elsewhere is safe, the message says why.
  ASSERT_TRUE(QDir(Folder()).removeRecursively());
  tab_->Text3->setText("  box 7  ");
  tab_->Command1->click();
  EXPECT_TRUE(LastMessage().startsWith("Ошибка при сохранении файла конфигурации: «"));
  tab_->SetUpFilesTab();
  QTest::keyClick(tab_->Text3, Qt::Key_End);
  tab_->Text3->setText("  box 7  ");
  tab_->Command1->click();
  EXPECT_NE(ReadFile("box 7.kxr"), "(none)") << "the name without its blanks";
}

#ifndef _WIN32  // folders of other users and of packages
TEST_F(SettingsFilesTabTest, SettingsFolderInTheHomeFolderWhenTheProgramsCannotHoldIt) {
  SettingsFilesTab installed(*link_, db_, "/proc/no-such-program");
  EXPECT_EQ(installed.EnsureSettingsFolder(), QDir(home_.path()).filePath("Cfg-files"));
  EXPECT_TRUE(QFileInfo(QDir(home_.path()).filePath("Cfg-files")).isDir());
  EXPECT_TRUE(presenter_.shown.empty());

  // Installed, the program's folder is never the settings folder, even where root may write.
  SettingsFilesTab packaged(*link_, db_, "/usr/lib/kx12r-config-no-such-folder");
  EXPECT_EQ(packaged.EnsureSettingsFolder(), QDir(home_.path()).filePath("Cfg-files"));
  EXPECT_FALSE(QFileInfo::exists("/usr/lib/kx12r-config-no-such-folder"));
  QTemporaryDir someone_elses;
  if (geteuid() == 0) {
    ASSERT_EQ(chown(QFile::encodeName(someone_elses.path()).constData(), 65534, 65534), 0);
    SettingsFilesTab not_own(*link_, db_, someone_elses.path());
    EXPECT_EQ(not_own.EnsureSettingsFolder(), QDir(home_.path()).filePath("Cfg-files"));
    EXPECT_FALSE(QFileInfo::exists(QDir(someone_elses.path()).filePath("Cfg-files")));
  }
}
#endif

TEST_F(SettingsFilesTabTest, AFileWithInvalidValuesIsShownInRedAndRefused) {
  auto& reader = PlugReader();
  Open();
  WriteFile("bad.kxr", File({"Variant=9", "Prefix=ABCDEF", "Code_format=77", "Ending=13"}));
  Load("bad.kxr");
  EXPECT_TRUE(tab_->FileHasInvalidValues());
  EXPECT_EQ(Preview(1), "9");
  EXPECT_EQ(tab_->MSFlexGrid5->CellForeColor(1, 1), QColor(255, 0, 0));
  EXPECT_EQ(Preview(3), "не известен");
  EXPECT_EQ(tab_->MSFlexGrid5->CellForeColor(5, 1), tab_->palette().color(QPalette::Text));
  EXPECT_EQ(Preview(6), "не задан");
  tab_->Command1->click();
  EXPECT_EQ(LastMessage(),
            "Загружаемый файл настроек содержит некорректые значения параметров. "
            "Операция не может быть выполнена.");
  EXPECT_TRUE(reader.ReceivedReports().empty());

  // Every file: a name without the extension previews nothing and cannot be applied.
  WriteFile("notes.txt", "Variant=8\r\n");
  tab_->ComboBox1->setCurrentIndex(0);
  emit tab_->ComboBox1->activated(0);
  WriteFile("good.kxr", kWholeFile);
  Load("good.kxr");
  Load("notes.txt");
  EXPECT_EQ(Preview(1), "");
  tab_->Command1->click();
  EXPECT_EQ(LastMessage(),
            "Файл «notes.txt» не содержит параметров настроек. Операция не может быть выполнена.");
  EXPECT_TRUE(reader.ReceivedReports().empty());
}

TEST_F(SettingsFilesTabTest, AnApplyToOneReaderWritesInOrderAndCountsWhatIsMissing) {
  auto& reader = PlugReader({.variant = 1});
  Open();
  WriteFile("partial.kxr", File({"Variant=8", "Prefix=\xED\xE5\xF2", "Code_format=5", "Ending=9",
                                 "buZzer_off=1", "standAlone=0", "Repeat_message=1"}));
  Load("partial.kxr");
  EXPECT_FALSE(tab_->FileHasInvalidValues());
  EXPECT_EQ(status_->Text(2), "изменяемый вариант");
  tab_->Command1->click();
  EXPECT_EQ(reader.ReceivedReports(),
            (std::vector<Bytes>{ReaderReport('V', "8", 65), ReaderReport('P', "", 65),
                                ReaderReport('C', "5", 65), ReaderReport('E', "\t", 65),
                                ReaderReport('Z', "Z", 65), ReaderReport('A', "", 65),
                                ReaderReport('R', "R", 65)}));
  EXPECT_EQ(LastMessage(),
            "Загрузка из файла настроек выполнена не в полном объеме. Не задан "
            "один параметр настроек.");
  // The reader as known now: the file's none is an empty prefix that shows as the file gave it.
  const ReaderValues& known = link_->SelectedReader().Values();
  EXPECT_EQ(known.variant, 8);
  EXPECT_EQ(known.prefix.text, "");
  EXPECT_TRUE(known.buzzer_off);
  EXPECT_EQ(known.ending, 9);
  EXPECT_TRUE(known.prefix.none_from_file) << "listed and saved as the file gave it";
  EXPECT_FALSE(known.suffix.none_from_file) << "not in the file, not touched";
  EXPECT_EQ(FrameOfReader(link_->SelectedReader()).frame->prefix, "")
      << "a card is judged against no prefix, not the word";
  EXPECT_TRUE(view_.progress_log.empty()) << "one reader needs no progress bar";
  EXPECT_TRUE(link_->Timer1().isActive());
}

TEST_F(SettingsFilesTabTest, AnApplyToAllStopsWhereAReaderRefuses) {
  auto& first = PlugReader({.variant = 1});
  hid_.Plug({.vendor_id = 0x046D, .product_id = 0xC31C});
  auto& second = PlugReader({.variant = 1});
  auto& third = PlugReader({.variant = 1});
  second.RefuseCommand('P');
  Open();
  WriteFile("all.kxr", kWholeFile);
  Load("all.kxr");
  tab_->Check1->click();
  tab_->Command1->click();
  EXPECT_EQ(first.ReceivedReports().size(), 8u);
  EXPECT_EQ(second.ReceivedReports(),
            (std::vector<Bytes>{ReaderReport('V', "8", 65), ReaderReport('P', "AB", 65)}));
  EXPECT_TRUE(third.ReceivedReports().empty());
  ASSERT_FALSE(presenter_.shown.empty());
  EXPECT_EQ(LastMessage(), "Загрузка из файла прервана. Ошибка установки параметра «Префикс».");
  EXPECT_EQ(presenter_.shown.back().style, 16);
  EXPECT_EQ(link_->Devices().InRow(3).Values().variant, 8) << "what was written stays known";
  EXPECT_EQ(link_->Devices().InRow(3).Values().prefix.text, "");
  EXPECT_EQ(view_.progress_log, (std::vector<int>{-4, 1})) << "stopped at the second reader, row 3";
}

TEST_F(SettingsFilesTabTest, AMissingLineCountsOncePerReader) {
  PlugReader({.variant = 1});
  PlugReader({.variant = 1});
  Open();
  WriteFile("short.kxr", File({"Variant=2", "Prefix=A", "Code_format=5", "Suffix=B", "Ending=9",
                               "buZzer_off=0", "standAlone=0"}));
  Load("short.kxr");
  tab_->Check1->click();
  tab_->Command1->click();
  EXPECT_EQ(LastMessage(),
            "Загрузка из файла настроек выполнена не в полном объеме. Не задано "
            "несколько параметров настроек.");
  EXPECT_EQ(link_->Devices().InRow(1).Values().variant, 2);
  EXPECT_EQ(link_->Devices().InRow(2).Values().variant, 2);
  EXPECT_EQ(status_->Text(2), "фиксированный вариант");
}

TEST_F(SettingsFilesTabTest, ADatabaseWithoutEndingsIsBlamedNotTheFile) {
  auto& reader = PlugReader();
  Open();
  ASSERT_TRUE(db_.SelectRows("DELETE FROM CodeEndingTable") || !db_.HadFailure());
  WriteFile("good.kxr", kWholeFile);
  Load("good.kxr");
  tab_->Command1->click();
  EXPECT_EQ(LastMessage(),
            "В служебной базе данных нет окончаний: файл настроек не может быть проверен. "
            "Операция не может быть выполнена.");
  EXPECT_TRUE(reader.ReceivedReports().empty());
}

TEST_F(SettingsFilesTabTest, NothingWrittenIsNeverReportedAsDone) {
  auto& old_reader = PlugReader({.variant = 8}, 0x0153);
  PlugReader();
  Open(2);
  WriteFile("good.kxr", kWholeFile);
  Load("good.kxr");
  table_->SetRow(1);  // load mode is never blocked: the old reader can be chosen
  tab_->ShowSelectedReader();
  tab_->Command1->click();
  EXPECT_TRUE(old_reader.ReceivedReports().empty());
  EXPECT_EQ(LastMessage(),
            "Загрузка из файла настроек не выполнена: нет считывателя, который "
            "может быть настроен.");
}

TEST_F(SettingsFilesTabTest, TheFileAppliedIsTheFileJudgedAtTheApply) {
  auto& reader = PlugReader();
  Open();
  WriteFile("changing.kxr", kWholeFile);
  Load("changing.kxr");
  ASSERT_FALSE(tab_->FileHasInvalidValues());
  WriteFile("changing.kxr", File({"Variant=0"}));
  tab_->Command1->click();
  EXPECT_TRUE(reader.ReceivedReports().empty());
  EXPECT_EQ(LastMessage(),
            "Загружаемый файл настроек содержит некорректые значения параметров. "
            "Операция не может быть выполнена.");
  EXPECT_EQ(Preview(1), "0") << "the preview shows what was refused";

  WriteFile("changing.kxr", kWholeFile);
  Load("changing.kxr");
  QFile::remove(QDir(Folder()).filePath("changing.kxr"));
  WriteFile("other.kxr", kWholeFile);
  tab_->Command1->click();
  EXPECT_TRUE(reader.ReceivedReports().empty());
  EXPECT_EQ(LastMessage(),
            "Файл «changing.kxr» не содержит параметров настроек. Операция не "
            "может быть выполнена.");
  EXPECT_TRUE(link_->Timer1().isActive());
}

TEST_F(SettingsFilesTabTest, AnOldReaderBlocksSaveMode) {
  PlugReader({.variant = 8}, 0x0153);
  Open();
  EXPECT_FALSE(tab_->MSFlexGrid5->isVisible());
  EXPECT_TRUE(tab_->Label2->isVisible());
  EXPECT_TRUE(tab_->Label2->text().startsWith("ВНИМАНИЕ!"));
  EXPECT_FALSE(tab_->Command1->isEnabled());
  EXPECT_FALSE(tab_->Text3->isEnabled());
}

TEST_F(SettingsFilesTabTest, ADriveGoneIsToldAndTheRootTaken) {
  PlugReader({.variant = 8}, 0x0153);
  Open();
  tab_->Drive1->addItem("/media/gone", "/media/gone");
  tab_->Drive1->setCurrentIndex(tab_->Drive1->count() - 1);
  emit tab_->Drive1->activated(tab_->Drive1->count() - 1);
  EXPECT_EQ(LastMessage(), "Диск «/media/gone» не существует.");
  EXPECT_EQ(tab_->Dir1->Path(), QDir::rootPath());
  EXPECT_EQ(tab_->Drive1->Drive(), QDir::rootPath());
}

}  // namespace
}  // namespace kx12r
