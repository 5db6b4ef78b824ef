#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <csignal>

#include "ReaderReports.h"
#include "ScriptedPresenter.h"
#include "base/SingleByteText.h"
#include "files/SettingsApply.h"
#include "files/SettingsFile.h"
#include "simulator/SimulatedHidLibrary.h"

namespace kx12r {
namespace {

QByteArray Crlf(std::initializer_list<const char*> lines) {
  QByteArray bytes;
  for (const char* line : lines) bytes += QByteArray(line) + "\r\n";
  return bytes;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, GetDatabasePath(folder_.path())));
  }
  ValidatedSettings Validate(const QByteArray& bytes) {
    return ValidateSettings(SettingsFileLines(bytes), ReferenceNames(&db_));
  }

  QTemporaryDir folder_;
  ScriptedPresenter presenter_;
  ServiceDatabase db_{GetDatabasePath(folder_.path()), false};
};

TEST_F(SettingsFileTest, ASavedFileHasItsEightLinesInWindows1251) {
  const QByteArray bytes = SettingsFileBytes(
      {.variant = 8, .prefix = {"#"}, .code_format = 3, .ending = 13, .buzzer_off = true});
  EXPECT_EQ(bytes, Crlf({"Variant=8", "Prefix=#", "Code_format=3", "Suffix=", "Ending=13",
                         "buZzer_off=1", "standAlone=0", "Repeat_message=0", ""}));
  EXPECT_TRUE(bytes.endsWith("\r\n\r\n"));

  // A none taken from a file is written as the file gave it, in Windows-1251, and reads back.
  const QByteArray none = SettingsFileBytes({.prefix = {"", true}});
  EXPECT_TRUE(none.contains("Prefix=\xED\xE5\xF2\r\n"));
  EXPECT_TRUE(none.contains("Code_format=\r\n")) << "a code format never given";
  const QStringList lines = SettingsFileLines(none);
  for (const char* key : {"Prefix", "Suffix"}) {
    const FileValue value = GetSettingsValue(key, lines);
    EXPECT_EQ(value.kind, FileValue::Kind::kNone) << key;
    EXPECT_EQ(value.text, "") << key;
    EXPECT_EQ(value.Shown(), "нет") << key;
  }
}

TEST_F(SettingsFileTest, LinesAndLookups) {
  EXPECT_TRUE(SettingsFileLines("").isEmpty());
  EXPECT_EQ(SettingsFileLines("Variant=8\nPrefix=A").size(), 1) << "only CR LF ends a line";
  const QStringList lines =
      SettingsFileLines(Crlf({"BUZZER_OFF=1", "Prefix= A", "Variant =3", "xCode_format=5",
                              "Suffix=S1", "Suffix=S2", "Junk=1"}));
  EXPECT_EQ(GetSettingsValue("buZzer_off", lines).text, "1");
  EXPECT_EQ(GetSettingsValue("Prefix", lines).text, " A");
  EXPECT_EQ(GetSettingsValue("Variant", lines).kind, FileValue::Kind::kNotSet);
  EXPECT_EQ(GetSettingsValue("Variant", lines).Shown(), "не задан");
  EXPECT_EQ(GetSettingsValue("Code_format", lines).text, "x5");
  EXPECT_EQ(GetSettingsValue("Suffix", lines).text, "S1") << "the first line wins";
  EXPECT_TRUE(HasSettingsExtension("a.kxr"));
  EXPECT_FALSE(HasSettingsExtension("a.KXR"));
}

TEST_F(SettingsFileTest, ValidationJudgesEachValue) {
  auto judged = [&](const QByteArray& bytes) {
    const ValidatedSettings settings = Validate(bytes);
    QStringList verdicts;
    for (const SettingsValue& value : settings.values) {
      verdicts << value.shown + (value.valid ? "" : "!");
    }
    return verdicts.join("|");
  };
  EXPECT_EQ(judged(Crlf({"Variant=8", "Prefix=#K", "Code_format=12", "Suffix=", "Ending=13",
                         "buZzer_off=1", "standAlone=0", "Repeat_message=yes"})),
            "8|#K|32bm_DEC|нет|Enter|Да|Нет|Нет");
  // An empty file: the three numbers are missing and so invalid, whatever rows exist; a
  // missing code format or ending is said to be missing, not unknown.
  EXPECT_EQ(judged(""),
            "не задан!|не задан|не задан!|не задан|не задан!|не задан|не задан|не задан");
  EXPECT_EQ(judged(Crlf({"Variant=9", "Prefix=ABCDEF", "Code_format=65548", "Suffix=\xA8",
                         "Ending=65549"})),
            "9!|ABCDEF!|не известен!|Ё!|не известен!|не задан|не задан|не задан")
      << "65548 and 65549 would be 12 and 13 cut to 16 bits";
  EXPECT_EQ(judged(Crlf({"Variant= 1 2", "Code_format=0", "Ending=13x", "buZzer_off=0.0"})),
            " 1 2!|не задан|RAW_HEX|не задан|Enter|Нет|не задан|не задан")
      << "blanks inside a number are skipped: 12";
  EXPECT_TRUE(Validate(Crlf({"Variant=0"})).HasInvalidValues());
  // Only blanks, tabs and line feeds are skipped; a byte Windows-1251 leaves undefined is never
  // read as "?".
  EXPECT_EQ(
      judged(Crlf({"Variant=\r8", "Prefix=A\x98", "Code_format=1\x98", "Suffix=?"})),
      "\r8!|A" + FromSingleByte("\x98") + "!|5x8b_DEC!|?|не задан!|не задан|не задан|не задан");
  EXPECT_EQ(judged(Crlf({"Variant=\xA0"
                         "8"}))
                .section("|", 0, 0),
            "\u00A0"
            "8!")
      << "a no-break space";
  // Without a database any 16-bit ending is named by its digits, but one goes out as one byte.
  auto ending = [](const char* line) {
    return ValidateSettings(SettingsFileLines(Crlf({line})),
                            ReferenceNames(nullptr))[SettingsKey::kEnding];
  };
  EXPECT_TRUE(ending("Ending=255").valid);
  EXPECT_EQ(ending("Ending=300").shown, "300");
  EXPECT_FALSE(ending("Ending=300").valid) << "300 would go out as 44, a comma";
  EXPECT_FALSE(ending("Ending=-1").valid);
}

TEST_F(SettingsFileTest, TheApplySendsWhatValidationJudged) {
  const ValidatedSettings settings =
      Validate(Crlf({"Variant=08", "Prefix=\xED\xE5\xF2", "Code_format= 12.0", "Ending=13x",
                     "buZzer_off=yes", "standAlone=0.0", "Repeat_message=-1"}));
  ASSERT_FALSE(settings.HasInvalidValues());
  const auto parameters = ParametersToApply(settings);
  ASSERT_EQ(parameters.size(), 8u);
  QStringList sent;
  ReaderValues took;
  for (const AppliedParameter& p : parameters) {
    sent << (p.missing ? QString("-")
                       : QString(QChar(p.Setting().set)) + "[" +
                             EncodeSetting(p.key, p.value).value_or("?") + "]");
    if (!p.missing) took.Set(p.key, p.value);
  }
  EXPECT_EQ(sent.join(" "), "V[8] P[ ] C[12] - E[\r] Z[ ] A[ ] R[R]");
  // What the reader then holds, and a file saved from it keeps the file's none.
  EXPECT_EQ(SettingsFileBytes(took),
            Crlf({"Variant=8", "Prefix=\xED\xE5\xF2", "Code_format=12", "Suffix=", "Ending=13",
                  "buZzer_off=0", "standAlone=0", "Repeat_message=1", ""}));

  SimulatedHidLibrary hid;
  auto& reader = hid.Plug({.version = 0x0184}, {.variant = 1});
  reader.RefuseCommand('C');
  std::vector<SettingsKey> cached;
  const ReaderApply outcome =
      ApplyToReader(hid, hid.HandleOf(reader), parameters,
                    [&](const SettingWrite& w) { cached.push_back(w.key); });
  EXPECT_EQ(outcome.refused, SettingsKey::kCodeFormat);
  EXPECT_EQ(cached, (std::vector<SettingsKey>{SettingsKey::kVariant, SettingsKey::kPrefix}));
  EXPECT_EQ(reader.ReceivedReports(), (std::vector<std::vector<std::uint8_t>>{
                                          ReaderReport('V', "8", 65), ReaderReport('P', "", 65),
                                          ReaderReport('C', "12", 65)}));
}

TEST_F(SettingsFileTest, AFolderAReadOnlyFileAndATooLargeFileAreRefused) {
  const QDir folder(folder_.path());
  const QString not_a_file = folder.filePath("folder.kxr");
  ASSERT_TRUE(folder.mkdir("folder.kxr"));
  ASSERT_TRUE(NotARegularFileText(not_a_file));
  EXPECT_EQ(WriteFileWhole(not_a_file, "new"), NotARegularFileText(not_a_file));
  UnreadableFile why{};
  EXPECT_EQ(ReadSettingsLines(not_a_file, &why), std::nullopt);
  EXPECT_EQ(why, UnreadableFile::kNotRegular);

  const QString kept = folder.filePath("kept.kxr");
  ASSERT_EQ(WriteFileWhole(kept, "a longer first text"), std::nullopt);
  ASSERT_EQ(WriteFileWhole(kept, "old"), std::nullopt);
  ASSERT_TRUE(QFile::setPermissions(kept, QFileDevice::ReadOwner | QFileDevice::ReadUser));
  EXPECT_NE(WriteFileWhole(kept, "new"), std::nullopt);
  EXPECT_EQ(ReadSettingsLines(kept), QStringList{"old"});

  ASSERT_EQ(WriteFileWhole(folder.filePath("large.kxr"), QByteArray(64 * 1024 + 1, 'x')),
            std::nullopt);
  EXPECT_EQ(ReadSettingsLines(folder.filePath("large.kxr"), &why), std::nullopt);
  EXPECT_EQ(why, UnreadableFile::kTooLarge);
}

#ifndef _WIN32  // links, FIFOs, devices, size limits and owners
TEST_F(SettingsFileTest, ASaveWritesOnlyARegularFileAndNeverThroughALink) {
  const QDir folder(folder_.path());
  ASSERT_EQ(WriteFileWhole(folder.filePath("target.txt"), "keep"), std::nullopt);
  ASSERT_TRUE(QFile::link(folder.filePath("target.txt"), folder.filePath("to-file.kxr")));
  ASSERT_TRUE(QFile::link(folder.filePath("nowhere.txt"), folder.filePath("dangling.kxr")));
  ASSERT_TRUE(QFile::link("/dev/null", folder.filePath("to-device.kxr")));
  ASSERT_TRUE(folder.mkdir("folder.kxr"));
  for (const char* name : {"to-file.kxr", "dangling.kxr", "to-device.kxr", "folder.kxr"}) {
    const QString path = folder.filePath(name);
    EXPECT_TRUE(PathEntryExists(path)) << name;
    const auto refusal = NotARegularFileText(path);
    ASSERT_TRUE(refusal) << name;
    EXPECT_EQ(*refusal, "Файл конфигурации «" + path +
                            "» не является обычным файлом: сохранение в ссылку, папку или "
                            "устройство не выполняется.");
    EXPECT_EQ(WriteFileWhole(path, "new"), refusal) << name;
  }
  QFile target(folder.filePath("target.txt"));
  ASSERT_TRUE(target.open(QIODevice::ReadOnly));
  EXPECT_EQ(target.readAll(), "keep");
  EXPECT_FALSE(QFileInfo::exists(folder.filePath("nowhere.txt")));
  EXPECT_TRUE(QFileInfo(folder.filePath("to-device.kxr")).isSymLink());
  EXPECT_FALSE(QFileInfo("/dev/null").isFile());

  EXPECT_FALSE(PathEntryExists(folder.filePath("new.kxr")));
  EXPECT_EQ(NotARegularFileText(folder.filePath("new.kxr")), std::nullopt);
  ASSERT_EQ(WriteFileWhole(folder.filePath("new.kxr"), "new"), std::nullopt);
  EXPECT_EQ(NotARegularFileText(folder.filePath("new.kxr")), std::nullopt);
  EXPECT_EQ(ReadSettingsLines(folder.filePath("new.kxr")), QStringList{"new"});
}

TEST_F(SettingsFileTest, OnlyASmallRegularFileIsReadAndNoReadWaits) {
  const QDir folder(folder_.path());
  const QString fifo = folder.filePath("x.kxr");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  UnreadableFile why{};
  EXPECT_EQ(ReadSettingsLines(fifo, &why), std::nullopt) << "returns at once";
  EXPECT_EQ(why, UnreadableFile::kNotRegular);
  ASSERT_TRUE(QFile::link("/dev/zero", folder.filePath("zero.kxr")));
  EXPECT_EQ(ReadSettingsLines(folder.filePath("zero.kxr")), std::nullopt);
  why = {};
  EXPECT_EQ(ReadSettingsLines(folder.path(), &why), std::nullopt);
  EXPECT_EQ(why, UnreadableFile::kNotRegular);
  const QByteArray largest = Crlf({"Variant=8"}) + QByteArray(64 * 1024 - 11, 'x');
  ASSERT_EQ(WriteFileWhole(folder.filePath("largest.kxr"), largest), std::nullopt);
  ASSERT_EQ(WriteFileWhole(folder.filePath("large.kxr"), largest + "x"), std::nullopt);
  EXPECT_EQ(ReadSettingsLines(folder.filePath("largest.kxr"))->front(), "Variant=8");
  EXPECT_EQ(ReadSettingsLines(folder.filePath("large.kxr"), &why), std::nullopt);
  EXPECT_EQ(why, UnreadableFile::kTooLarge);
}

TEST_F(SettingsFileTest, AFailedSaveLeavesTheOldFileAsItWas) {
  const QString path = QDir(folder_.path()).filePath("old.kxr");
  ASSERT_EQ(WriteFileWhole(path, "old"), std::nullopt);

  // The disk fills up half-way through the new file.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit tiny = saved;
  tiny.rlim_cur = 64;
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &tiny);
  const auto full = WriteFileWhole(path, QByteArray(4096, 'x'));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  ASSERT_TRUE(full);
  EXPECT_FALSE(full->isEmpty()) << "the system's description of the fault";

  // The folder removed under it.
  const auto gone = WriteFileWhole(QDir(folder_.path()).filePath("gone/new.kxr"), "new");
  EXPECT_TRUE(gone);

  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old");
  EXPECT_EQ(QDir(folder_.path()).entryList({"old*"}, QDir::Files), QStringList{"old.kxr"})
      << "no temporary file is left behind";
}

TEST_F(SettingsFileTest, AReplacedFileKeepsItsOwnerAndAFolderWeMayNotWriteKeepsItsFile) {
  if (geteuid() != 0) GTEST_SKIP() << "changing owners needs root";
  constexpr uid_t kNobody = 65534;
  const QByteArray folder = QFile::encodeName(folder_.path());
  const QString path = QDir(folder_.path()).filePath("users.kxr");
  ASSERT_EQ(WriteFileWhole(path, "old"), std::nullopt);
  ASSERT_EQ(chown(QFile::encodeName(path).constData(), kNobody, kNobody), 0);
  ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0640), 0);
  ASSERT_EQ(WriteFileWhole(path, "root's"), std::nullopt);
  struct stat saved {};
  ASSERT_EQ(stat(QFile::encodeName(path).constData(), &saved), 0);
  EXPECT_EQ(saved.st_uid, kNobody) << "root's save leaves the user's file the user's";
  EXPECT_EQ(saved.st_mode & 07777, 0640u);

  // The owner may write the file but not the folder: it is rewritten in place.
  ASSERT_EQ(chmod(folder.constData(), 0755), 0);
  EXPECT_EXIT(
      {
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0) std::exit(2);
        const auto error = WriteFileWhole(path, "the owner's");
        QFile file(path);
        std::exit(!error && file.open(QIODevice::ReadOnly) && file.readAll() == "the owner's" ? 0
                                                                                              : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace kx12r
