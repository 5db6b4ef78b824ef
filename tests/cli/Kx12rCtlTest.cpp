#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>

#include "FakeClock.h"
#include "OtherProgramsLock.h"
#include "ScriptedPresenter.h"
#include "cli/Kx12rCtl.h"
#include "cli/ListedReaders.h"
#include "cli/StopOnSignals.h"
#include "db/ServiceDatabase.h"
#include "reader/ReaderScan.h"
#include "simulator/SimulatedHidLibrary.h"

namespace kx12r::cli {
namespace {

#ifdef SIGHUP
constexpr int kTerminalClosed = SIGHUP;
#else
constexpr int kTerminalClosed = SIGBREAK;  // Windows' nearest: Ctrl+Break
#endif

struct Call {
  int status = -1;
  QString out;
  QString err;
};

// Runs the built kx12rctl over the demo readers.
Call Kx12rCtl(QStringList arguments) {
  QProcess process;
  process.start(KX12RCTL, QStringList{"--demo"} + arguments);
  process.waitForFinished(30000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

class Kx12rCtlTest : public ::testing::Test {
 protected:
  QString File(const QString& name, const QByteArray& bytes) {
    const QString path = QDir(folder_.path()).filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QTemporaryDir folder_;
  const QByteArray kFile =
      "Variant=8\r\nPrefix=AB\r\nCode_format=5\r\nSuffix=\r\nEnding=13\r\n"
      "buZzer_off=1\r\nstandAlone=0\r\nRepeat_message=1\r\n\r\n";
};

TEST_F(Kx12rCtlTest, ListsTheReadersForPeopleAndForScripts) {
  const Call table = Kx12rCtl({"list"});
  EXPECT_EQ(table.status, 0);
  const QStringList lines = table.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[1].startsWith("00417  00DF")) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].contains("0 RAW_HEX")) << lines[1].toStdString();
  EXPECT_TRUE(lines[2].contains("9 Tab")) << lines[2].toStdString();
  EXPECT_TRUE(lines[2].endsWith(";…?<Enter>")) << "variant 3 sends its own frame";
  EXPECT_TRUE(lines[3].endsWith("Нет")) << "the old reader cannot be configured";

  const Call json = Kx12rCtl({"list", "--json"});
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.err, "");
  const QJsonArray readers = QJsonDocument::fromJson(json.out.toUtf8())["readers"].toArray();
  ASSERT_EQ(readers.size(), 3);
  EXPECT_EQ(readers[0]["serial"].toString(), "00417");
  EXPECT_EQ(readers[0]["variant"].toInt(), 8);
  EXPECT_EQ(readers[0]["code_format"]["name"].toString(), "RAW_HEX");
  EXPECT_TRUE(readers[1]["buzzer_off"].toBool());
  EXPECT_FALSE(readers[2]["configurable"].toBool());
  EXPECT_TRUE(readers[2]["variant"].isNull());
  EXPECT_EQ(readers[1]["sends"]["prefix"].toString(), ";");
  EXPECT_EQ(readers[1]["sends"]["code_format"]["name"].toString(), "5x8b_DEC");
  EXPECT_EQ(readers[1]["sends"]["ending"]["code"].toInt(), 13);
  EXPECT_TRUE(readers[2].toObject().contains("sends") && readers[2]["sends"].isNull());
}

TEST_F(Kx12rCtlTest, ChecksAFileAsTheFilesTabDoes) {
  const Call good = Kx12rCtl({"check", File("good.kxr", kFile), "--json"});
  EXPECT_EQ(good.status, 0);
  const QJsonObject report = QJsonDocument::fromJson(good.out.toUtf8()).object();
  EXPECT_TRUE(report["applicable"].toBool());
  EXPECT_EQ(report["values"][2]["shown"].toString(), "40b_HEX");
  EXPECT_EQ(report["layout_dependent"].toArray(), QJsonArray{"Prefix"});
  EXPECT_EQ(good.err,
            "Префикс «AB» придет в программу с русской раскладкой клавиатуры как «ФИ».\n");

  const Call absent = Kx12rCtl({"check", QDir(folder_.path()).filePath("absent.kxr")});
  EXPECT_EQ(absent.status, 1);
  EXPECT_TRUE(absent.err.startsWith("Файл «" + folder_.path())) << absent.err.toStdString();
  EXPECT_TRUE(absent.err.contains("absent.kxr» не существует.")) << absent.err.toStdString();

  const Call bad = Kx12rCtl({"check", File("bad.kxr", "Variant=9\r\nPrefix=ABCDEF\r\n")});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(bad.out.contains("Variant         9         некорректное значение"))
      << bad.out.toStdString();
  EXPECT_TRUE(bad.err.contains("содержит некорректые значения параметров"));

  // What keeps a file from being read is named, with its path: a folder too, whatever its name.
  ASSERT_TRUE(QDir(folder_.path()).mkdir("folder.kxr"));
  ASSERT_TRUE(QDir(folder_.path()).mkdir("plain"));
  for (const char* name : {"folder.kxr", "plain"}) {
    const QString path = QDir(folder_.path()).filePath(name);
    const Call folder = Kx12rCtl({"check", path});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err,
              "Файл «" + path + "» не может быть прочитан: не является обычным файлом.\n");
  }
  const Call large = Kx12rCtl({"check", File("large.kxr", QByteArray(65 * 1024, 'x'))});
  EXPECT_TRUE(large.err.contains("не может быть прочитан: слишком велик"))
      << large.err.toStdString();

  const Call wrong_name = Kx12rCtl({"check", File("notes.txt", kFile)});
  EXPECT_EQ(wrong_name.status, 1);
  EXPECT_EQ(wrong_name.err.trimmed(),
            "Файл «notes.txt» не содержит параметров настроек. "
            "Операция не может быть выполнена.");
}

TEST_F(Kx12rCtlTest, AppliesToOneOrAllAndStopsWhereAReaderRefuses) {
  const Call one = Kx12rCtl({"apply", File("one.kxr", kFile), "--serial", "00158"});
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.out.trimmed(), "00158  записан");
  EXPECT_EQ(one.err.trimmed(), "Загрузка из файла настроек выполнена успешно.")
      << "the result is not told twice";

  // Work only partly done: a file without its suffix, a reader too old to be configured.
  QByteArray no_suffix = kFile;
  no_suffix.replace("Suffix=\r\n", "");
  const Call part = Kx12rCtl({"apply", File("part.kxr", no_suffix), "--serial", "00417"});
  EXPECT_EQ(part.status, 1);
  EXPECT_TRUE(part.err.contains("выполнена не в полном объеме")) << part.err.toStdString();
  const Call with_old = Kx12rCtl({"apply", File("one.kxr", kFile), "--all"});
  EXPECT_EQ(with_old.status, 1);
  EXPECT_TRUE(with_old.out.endsWith("00032  не может быть настроен\n"));
  const QString old_reader =
      "Считыватель «00032» не может быть настроен: версия ПО 1.53, нужна 1.70 или новее. "
      "ВНИМАНИЕ! Данная версия ПО не поддерживается Конфигуратором.";
  EXPECT_TRUE(with_old.err.contains(old_reader)) << with_old.err.toStdString();
  EXPECT_TRUE(
      with_old.err.endsWith("Загрузка из файла настроек выполнена частично: записано "
                            "считывателей: 2, не записано: 1.\n"))
      << "the last words agree with the status: " << with_old.err.toStdString();
  EXPECT_FALSE(with_old.err.contains("успешно"));
  const Call identify = Kx12rCtl({"identify", "--serial", "00032"});
  EXPECT_EQ(identify.status, 1);
  EXPECT_TRUE(identify.err.startsWith(old_reader)) << identify.err.toStdString();

  // Code format 12 needs firmware 1.82: the 1.72 reader refuses it.
  QByteArray twelve = kFile;
  twelve.replace("Code_format=5", "Code_format=12");
  const Call all = Kx12rCtl({"apply", File("all.kxr", twelve), "--all"});
  EXPECT_EQ(all.status, 1);
  EXPECT_EQ(all.out,
            "00417  записан\n00158  прерван на параметре «Код формата метки»\n"
            "00032  не может быть настроен\n");
  EXPECT_TRUE(all.err.contains(
      "Загрузка из файла прервана. Ошибка установки параметра «Код формата метки»: формат "
      "32bm_DEC есть только у считывателей с ПО 1.82 и выше."))
      << all.err.toStdString();
  twelve.replace("Code_format=12", "Code_format=0");
  const Call raw = Kx12rCtl({"apply", File("raw.kxr", twelve), "--serial", "00158"});
  EXPECT_EQ(raw.status, 1);
  EXPECT_TRUE(raw.err.contains(
      "«Код формата метки»: формат RAW_HEX есть только у считывателей 00DF с ПО 1.84 и выше."))
      << raw.err.toStdString();

  const Call missing = Kx12rCtl({"apply", File("x.kxr", kFile), "--serial", "12345"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_EQ(missing.err.trimmed(), "Считыватель с серийным номером «12345» не найден.");

  const Call invalid = Kx12rCtl({"apply", File("bad.kxr", "Variant=0\r\n"), "--all"});
  EXPECT_EQ(invalid.status, 1);
  EXPECT_EQ(invalid.out, "");
}

TEST_F(Kx12rCtlTest, DemoReadersRememberWhatAnEarlierRunWroteInTheirStateFile) {
  const QString state = QDir(folder_.path()).filePath("demo.json");
  const auto run = [&](const QStringList& arguments) {
    auto* process = new QProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("KX12R_DEMO_STATE", state);
    process->setProcessEnvironment(environment);
    process->start(KX12RCTL, QStringList{"--demo"} + arguments);
    return std::unique_ptr<QProcess>(process);
  };
  const auto status = [](const std::unique_ptr<QProcess>& process) {
    process->waitForFinished(30000);
    return process->exitCode();
  };
  const QString file = File("one.kxr", kFile);
  EXPECT_EQ(status(run({"compare", file, "--serial", "00417"})), 1);
  EXPECT_EQ(status(run({"apply", file, "--serial", "00417"})), 0);
  EXPECT_EQ(status(run({"compare", file, "--serial", "00417"})), 0) << "the second run sees it";

  // Two at once take turns: the file ends as one of them left it, never torn.
  QByteArray other = kFile;
  other.replace("Prefix=AB", "Prefix=CD");
  const QString second = File("two.kxr", other);
  auto first_run = run({"apply", file, "--serial", "00158"});
  auto second_run = run({"apply", second, "--serial", "00158"});
  EXPECT_EQ(status(first_run), 0);
  EXPECT_EQ(status(second_run), 0);
  const int equal_to_first = status(run({"compare", file, "--serial", "00158"}));
  const int equal_to_second = status(run({"compare", second, "--serial", "00158"}));
  EXPECT_NE(equal_to_first, equal_to_second) << "exactly one of the two files is held";
  EXPECT_EQ(status(run({"compare", file, "--serial", "00417"})), 0) << "the first run's kept";
}

TEST_F(Kx12rCtlTest, EveryVerbOnReadersGivesOneJsonDocument) {
  QByteArray twelve = kFile;
  twelve.replace("Code_format=5", "Code_format=12");
  const Call apply = Kx12rCtl({"apply", File("all.kxr", twelve), "--all", "--json"});
  EXPECT_EQ(apply.status, 1);
  const QJsonArray applied = QJsonDocument::fromJson(apply.out.toUtf8())["readers"].toArray();
  ASSERT_EQ(applied.size(), 3) << apply.out.toStdString();
  EXPECT_EQ(applied[0]["result"].toString(), "written");
  EXPECT_TRUE(applied[0]["parameter"].isNull());
  EXPECT_EQ(applied[1]["result"].toString(), "refused");
  EXPECT_EQ(applied[1]["parameter"].toString(), "code_format") << "the key list uses";
  EXPECT_EQ(applied[1]["message"].toString(), "прерван на параметре «Код формата метки»");
  EXPECT_EQ(applied[2]["result"].toString(), "not_configurable");
  EXPECT_EQ(applied[2]["firmware"].toString(), "1.53");
  // The values read before the write and after it, as list gives them.
  EXPECT_EQ(applied[0]["before"]["code_format"]["name"].toString(), "RAW_HEX");
  EXPECT_EQ(applied[0]["after"]["code_format"]["name"].toString(), "32bm_DEC");
  EXPECT_TRUE(applied[1]["after"].isNull()) << "refused: nothing read back";
  EXPECT_TRUE(applied[2]["before"].isNull());
  EXPECT_EQ(applied[2].toObject().keys(), applied[0].toObject().keys());

  const QString path = QDir(folder_.path()).filePath("saved.kxr");
  const Call save = Kx12rCtl({"save", path, "--serial", "00417", "--json"});
  EXPECT_EQ(save.status, 0);
  const QJsonObject saved = QJsonDocument::fromJson(save.out.toUtf8()).object();
  EXPECT_EQ(saved["file"].toString(), path);
  EXPECT_EQ(saved["readers"][0]["result"].toString(), "saved");

  const Call compare = Kx12rCtl({"compare", path, "--all", "--json"});
  EXPECT_EQ(compare.status, 1) << "the other readers differ";
  const QJsonArray compared = QJsonDocument::fromJson(compare.out.toUtf8())["readers"].toArray();
  EXPECT_EQ(compared[0]["result"].toString(), "equal");
  EXPECT_EQ(compared[0]["differing"].toArray(), QJsonArray());
  EXPECT_EQ(compared[1]["result"].toString(), "different");
  EXPECT_TRUE(compared[1]["differing"].toArray().contains("variant"));
  EXPECT_EQ(compared[1]["values"]["variant"]["reader"].toInt(), 3);
  EXPECT_EQ(compared[1]["values"]["variant"]["file"].toInt(), 8);
  EXPECT_EQ(compared[1]["values"]["ending"]["file"]["name"].toString(), "Enter");
  EXPECT_EQ(compared[2]["result"].toString(), "not_configurable");
  EXPECT_EQ(compared[2].toObject().keys(), compared[0].toObject().keys());
  EXPECT_TRUE(compared[2]["differing"].isNull());
  EXPECT_TRUE(compared[2]["values"].isNull());

  QByteArray without_suffix = kFile;
  without_suffix.replace("Suffix=\r\n", "");
  const Call part =
      Kx12rCtl({"compare", File("part.kxr", without_suffix), "--serial", "00417", "--json"});
  const QJsonObject values =
      QJsonDocument::fromJson(part.out.toUtf8())["readers"][0]["values"].toObject();
  EXPECT_TRUE(values["suffix"]["file"].isNull()) << "a key the file does not set";
  EXPECT_EQ(values["suffix"]["reader"].toString(), "");

  const Call identify = Kx12rCtl({"identify", "--serial", "00032", "--json"});
  EXPECT_EQ(identify.status, 1);
  EXPECT_EQ(QJsonDocument::fromJson(identify.out.toUtf8())["readers"][0]["result"].toString(),
            "not_identified");
}

TEST_F(Kx12rCtlTest, SavesReplacesOnlyWithForceAndIdentifies) {
  const QString path = QDir(folder_.path()).filePath("saved.kxr");
  const Call saved = Kx12rCtl({"save", path, "--serial", "00417"});
  EXPECT_EQ(saved.status, 0);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(),
            "Variant=8\r\nPrefix=#K\r\nCode_format=0\r\nSuffix=\r\nEnding=13\r\n"
            "buZzer_off=0\r\nstandAlone=0\r\nRepeat_message=0\r\n\r\n");
  file.close();  // Windows replaces no file that is open
  EXPECT_EQ(Kx12rCtl({"save", path, "--serial", "00158"}).status, 1);
  EXPECT_EQ(Kx12rCtl({"save", path, "--serial", "00158", "--force"}).status, 0);
  EXPECT_EQ(Kx12rCtl({"save", path, "--serial", "00032", "--force"}).status, 1)
      << "old firmware has no settings to save";

  EXPECT_EQ(Kx12rCtl({"identify", "--serial", "00417"}).status, 0);
  EXPECT_EQ(Kx12rCtl({"identify"}).status, 2);

  const Call nowhere = Kx12rCtl({"save", "/nonexistent/dir/x.kxr", "--serial", "00417"});
  EXPECT_EQ(nowhere.status, 1);
#ifdef _WIN32  // in the system's own words
  EXPECT_TRUE(nowhere.err.startsWith("Ошибка при сохранении файла конфигурации: «"));
#else
  EXPECT_EQ(nowhere.err.trimmed(),
            "Ошибка при сохранении файла конфигурации: «Файл или каталог не существует»");
#endif
}

TEST_F(Kx12rCtlTest, AWrongCallGetsTheUsageAndStatusTwo) {
  for (const QStringList& call : {QStringList{}, QStringList{"apply", "f.kxr"},
                                  QStringList{"apply", "f.kxr", "--all", "--serial", "1"},
                                  QStringList{"list", "--bogus"}, QStringList{"frobnicate"}}) {
    const Call wrong = Kx12rCtl(call);
    EXPECT_EQ(wrong.status, 2) << call.join(' ').toStdString();
    EXPECT_TRUE(wrong.err.contains("Использование: kx12rctl"));
    EXPECT_EQ(wrong.out, "");
  }
  // What is wrong is named.
  for (const auto& [call, named] : std::vector<std::pair<QStringList, QString>>{
           {{"frobnicate"}, "Неизвестная команда «frobnicate»."},
           {{"save", "", "--serial", "00417"}, "Не задано имя файла."},
           {{"watch", "--count", "abc"},
            "Значение --count должно быть целым числом больше нуля: «abc»."},
           {{"watch", "--count", "0"},
            "Значение --count должно быть целым числом больше нуля: «0»."},
           {{"watch", "--count", "-3"},
            "Значение --count должно быть целым числом больше нуля: «-3»."},
           {{"list", "--bogus"}, "Неизвестный параметр «--bogus»."},
           {{"apply", "f.kxr", "--serial"}, "Отсутствует значение после «--serial»."},
           {{"list", "--json=yes"}, "Неожиданное значение после «--json»."},
           {{"apply", "f.kxr", "--serial", "00417", "--serial", "00158"},
            "Параметр «--serial» задан более одного раза."},
           {{"list", "--json", "--json"}, "Параметр «--json» задан более одного раза."},
           {{"list", "--force"}, "Параметр --force не задается для команды list."},
           {{"save", "f.kxr", "--serial", "1", "--no-verify"},
            "Параметр --no-verify не задается для команды save."},
           {{"apply", "f.kxr", "--all", "--count", "2"},
            "Параметр --count задается только для apply --each и watch."},
           {{"compare", "f.kxr", "--each"},
            "Команде compare нужен ровно один из параметров --serial, --all."}}) {
    const Call wrong = Kx12rCtl(call);
    EXPECT_EQ(wrong.status, 2) << call.join(' ').toStdString();
    EXPECT_TRUE(wrong.err.startsWith(named + "\n")) << wrong.err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(".kxr"));
  EXPECT_EQ(Kx12rCtl({"--version"}).out, "kx12rctl 1.1.0\n");
  const Call help = Kx12rCtl({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.contains("Коды завершения:"));
}

TEST(Kx12rCtlOutputTest, AStandardOutputThatCannotBeWrittenIsAnError) {
  QProcess process;
  process.setStandardOutputFile("/dev/full");
  process.start(KX12RCTL, {"--demo", "list"});
  process.waitForFinished(30000);
  EXPECT_EQ(process.exitCode(), 1);
  EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError())
                  .contains("Не удалось записать результаты в стандартный вывод."));
}

#ifndef _WIN32  // bash and SIGPIPE
TEST(Kx12rCtlOutputTest, AClosedPipeEndsWatchWhenSigpipeIsIgnored) {
  // As under systemd, whose services ignore SIGPIPE.
  QProcess shell;
  shell.start("bash", {"-c", QString("trap '' PIPE; '%1' --demo watch --json | head -c 10 "
                                     ">/dev/null; echo ${PIPESTATUS[0]}")
                                 .arg(KX12RCTL)});
  ASSERT_TRUE(shell.waitForFinished(30000)) << "watch went on writing into a dead pipe";
  EXPECT_EQ(shell.readAllStandardOutput(), "1\n");
  EXPECT_TRUE(QString::fromUtf8(shell.readAllStandardError())
                  .contains("Не удалось записать результаты в стандартный вывод."));
}
#endif

TEST(Kx12rCtlSignalTest, ASignalAfterTheWorkChangesNothing) {
  EXPECT_EXIT(
      {
        IgnoreStopSignals();
        for (const int number : {SIGINT, SIGTERM, kTerminalClosed}) std::raise(number);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  // A verb's guard ends with its work: no moment after it lets a signal kill the program.
  EXPECT_EXIT(
      {
        { const StopOnSignals guard; }
        for (const int number : {SIGINT, SIGTERM, kTerminalClosed}) std::raise(number);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ChooseReaderTest, TwoReadersWithOneNumberAreRefused) {
  ConnectedReader reader;
  reader.identity.serial_number = "00417";
  const Choice choice = ChooseReader({reader, reader}, "00417");
  EXPECT_FALSE(choice.reader);
  EXPECT_TRUE(choice.error.contains("не является уникальным")) << choice.error.toStdString();
}

// kx12rctl in this process, over simulated readers of the test's own.
class ApplyOverSimulatedReadersTest : public Kx12rCtlTest {
 protected:
  ApplyOverSimulatedReadersTest() {
    hid_.SetClock(clock_);
    QFile::copy(KX12R_BUILT_DATABASE, database_path_);
  }
  int Run(const QStringList& arguments) {
    out_text_.clear();
    err_text_.clear();
    Environment environment{.hid = hid_,
                            .database_path = database_path_,
                            .out = out_,
                            .err = err_,
                            .clock = &clock_,
                            .nodes = &nodes_,
                            .database_busy_timeout = std::chrono::milliseconds(0)};
    const int status = cli::Run(arguments, environment);
    out_.flush();
    err_.flush();
    return status;
  }
  // Each wait for a node passes its time on the clock and plugs in the next scripted reader.
  struct ScriptedNodes : NodeWatch {
    explicit ScriptedNodes(FakeClock& clock) : clock(clock) {}
    void WaitForChange(std::chrono::milliseconds limit) override {
      ++waits;
      clock.Sleep(limit);
      if (!plugs.empty()) {
        plugs.front()();
        plugs.erase(plugs.begin());
      }
    }
    FakeClock& clock;
    std::vector<std::function<void()>> plugs;
    int waits = 0;
  };
  static long Count(const SimulatedReader& reader, char code) {
    return std::ranges::count_if(reader.ReceivedReports(),
                                 [&](const auto& report) { return report[1] == code; });
  }
  SimulatedHidLibrary hid_;
  FakeClock clock_;
  ScriptedNodes nodes_{clock_};
  QString database_path_ = QDir(folder_.path()).filePath("kx12rConfig.db");
  QString out_text_;
  QString err_text_;
  QTextStream out_{&out_text_};
  QTextStream err_{&err_text_};
};

TEST_F(ApplyOverSimulatedReadersTest, AValueTheReaderDoesNotKeepIsNotConfirmed) {
  auto& forgetful = hid_.Plug({.version = 0x0184, .serial_number = "00417"});
  forgetful.OverrideReply('p', "");  // echoes P, keeps no prefix
  hid_.Plug({.version = 0x0184, .serial_number = "00158"});
  const QString file = File("one.kxr", kFile);
  EXPECT_EQ(Run({"apply", file, "--all"}), 1);
  EXPECT_TRUE(out_text_.contains(QRegularExpression("00417 +не подтверждено: «Префикс»\n")))
      << out_text_.toStdString();
  EXPECT_TRUE(out_text_.contains(QRegularExpression("00158 +записан\n"))) << "the other is";

  forgetful.ClearLog();
  EXPECT_EQ(Run({"apply", file, "--serial", "00417", "--no-verify"}), 0);
  EXPECT_TRUE(out_text_.contains("записан"));
  EXPECT_EQ(Count(forgetful, 'p'), 1) << "asked only by the listing, not read back";
}

TEST_F(ApplyOverSimulatedReadersTest, ASignalFinishesTheReaderInHandAndTouchesNoOther) {
  auto& first = hid_.Plug({.version = 0x0184, .serial_number = "00417"});
  auto& second = hid_.Plug({.version = 0x0184, .serial_number = "00158"});
  const QString file = File("one.kxr", kFile);
  bool raised = false;
  hid_.on_write = [&](int handle) {
    if (handle == hid_.HandleOf(first) && first.Settings().variant == 8 && !raised) {
      raised = true;
      std::raise(kTerminalClosed);  // the terminal closed in the middle of the first reader
    }
  };
  EXPECT_EQ(Run({"apply", file, "--all"}), 1);
  EXPECT_EQ(first.Settings().prefix, "AB") << "the reader in hand got the rest";
  EXPECT_TRUE(first.Settings().repeat);
  EXPECT_TRUE(std::ranges::none_of(second.ReceivedReports(), [](const auto& report) {
    return std::isupper(report[1]);
  })) << "the listing's queries only";
  EXPECT_TRUE(out_text_.contains(QRegularExpression("00417 +записан\n")));
  EXPECT_TRUE(out_text_.contains(QRegularExpression("00158 +не затронут\n")));
  EXPECT_TRUE(err_text_.contains("прервана по сигналу")) << err_text_.toStdString();
}

TEST_F(ApplyOverSimulatedReadersTest, AStationConfiguresEachReaderOncePerConnection) {
  auto& present = hid_.Plug({.version = 0x0184, .serial_number = "00417"});
  SimulatedReader* second = nullptr;
  SimulatedReader* old = nullptr;
  nodes_.plugs = {
      [&] { second = &hid_.Plug({.version = 0x0172, .serial_number = "00158"}); },
      [] {},  // nothing new: nobody is written twice
      [&] { old = &hid_.Plug({.version = 0x0153, .serial_number = "00032"}); },
      [&] { hid_.Unplug(present); },
      [&] { hid_.PlugBack(present); },
  };
  EXPECT_EQ(Run({"apply", File("one.kxr", kFile), "--each", "--count", "4"}), 1)
      << "the old reader could not be configured";
  const QStringList lines = out_text_.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 4) << out_text_.toStdString();
  EXPECT_TRUE(lines[0].contains(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d  00417  1.84  записан$")))
      << lines[0].toStdString();
  EXPECT_TRUE(lines[1].endsWith("00158  1.72  записан"));
  EXPECT_TRUE(lines[2].endsWith("00032  1.53  не может быть настроен"));
  EXPECT_TRUE(lines[3].endsWith("00417  1.84  записан")) << "plugged again, done again";
  EXPECT_EQ(Count(present, 'P'), 2);
  EXPECT_EQ(Count(present, 'H'), 2);
  EXPECT_EQ(Count(*second, 'P'), 1);
  EXPECT_EQ(Count(*second, 'H'), 1);
  EXPECT_EQ(Count(*old, 'H'), 0);
  EXPECT_EQ(nodes_.waits, 5) << "it ended with the fourth reader";
}

TEST_F(ApplyOverSimulatedReadersTest, AStationSignalsOnlyAReaderThatHoldsTheFile) {
  auto& forgetful = hid_.Plug({.version = 0x0184, .serial_number = "00417"});
  forgetful.OverrideReply('p', "");
  auto& silent = hid_.Plug({.version = 0x0184, .serial_number = "00158"});
  silent.SetAnswering(false);
  EXPECT_EQ(Run({"apply", File("one.kxr", kFile), "--each", "--count", "2", "--json"}), 1);
  const QStringList lines = out_text_.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2) << out_text_.toStdString();
  const QJsonObject unconfirmed = QJsonDocument::fromJson(lines[0].toUtf8()).object();
  EXPECT_EQ(unconfirmed["result"].toString(), "unconfirmed");
  EXPECT_EQ(unconfirmed["parameter"].toString(), "prefix");
  EXPECT_EQ(unconfirmed["serial"].toString(), "00417");
  EXPECT_FALSE(unconfirmed["time"].toString().isEmpty());
  EXPECT_EQ(Count(forgetful, 'H'), 0);
  const QJsonObject mute = QJsonDocument::fromJson(lines[1].toUtf8()).object();
  EXPECT_EQ(mute["result"].toString(), "silent") << "after its grace";
  EXPECT_GE(clock_.Now(), kLateReaderGrace);
}

TEST_F(ApplyOverSimulatedReadersTest, ASignalEndsTheStationOnceTheReaderInHandIsDone) {
  auto& first = hid_.Plug({.version = 0x0184, .serial_number = "00417"});
  hid_.on_write = [&](int handle) {
    if (handle == hid_.HandleOf(first) && Count(first, 'V') == 1) std::raise(SIGTERM);
  };
  nodes_.plugs = {[&] { hid_.Plug({.version = 0x0184, .serial_number = "00158"}); }};
  EXPECT_EQ(Run({"apply", File("one.kxr", kFile), "--each"}), 0);
  EXPECT_TRUE(out_text_.endsWith("00417  1.84  записан\n")) << out_text_.toStdString();
  EXPECT_EQ(Count(first, 'H'), 1);
  EXPECT_EQ(nodes_.waits, 0) << "no further reader waited for";
}

TEST_F(ApplyOverSimulatedReadersTest, CompareNamesWhatDiffersAndWritesNothing) {
  auto& reader = hid_.Plug({.version = 0x0184, .serial_number = "00417"}, {.variant = 8,
                                                                           .prefix = "AB",
                                                                           .code_format = 5,
                                                                           .ending = 13,
                                                                           .buzzer_off = true,
                                                                           .repeat = false});
  EXPECT_EQ(Run({"compare", File("one.kxr", kFile), "--all", "--json"}), 1);
  const QJsonObject result = QJsonDocument::fromJson(out_text_.toUtf8())["readers"][0].toObject();
  EXPECT_EQ(result["result"].toString(), "different");
  EXPECT_EQ(result["differing"].toArray(), QJsonArray{"repeat"});
  EXPECT_TRUE(std::ranges::none_of(reader.ReceivedReports(),
                                   [](const auto& report) { return std::isupper(report[1]); }));
  reader.Settings().repeat = true;
  EXPECT_EQ(Run({"compare", File("one.kxr", kFile), "--serial", "00417"}), 0);
  EXPECT_EQ(out_text_, "00417  совпадает с файлом\n");
}

TEST_F(ApplyOverSimulatedReadersTest, ASignalDuringASaveLeavesAWholeFileAndNoTemporaryOne) {
  auto& reader = hid_.Plug({.version = 0x0184, .serial_number = "00417"});
  hid_.on_write = [&](int handle) {
    if (handle == hid_.HandleOf(reader) && Count(reader, 'e') == 0) std::raise(SIGTERM);
  };
  const QString path = QDir(folder_.path()).filePath("saved.kxr");
  EXPECT_EQ(Run({"save", path, "--serial", "00417"}), 0);
  EXPECT_EQ(QDir(folder_.path()).entryList({"saved.kxr*"}), QStringList{"saved.kxr"});
  QFile saved(path);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_TRUE(saved.readAll().endsWith("Repeat_message=0\r\n\r\n"));
}

TEST_F(ApplyOverSimulatedReadersTest, AFileIsJudgedOnlyAgainstAServiceDatabaseThatCanBeRead) {
  hid_.Plug({.version = 0x0184, .serial_number = "00417"});
  const QString bad_codes = File("bad.kxr", "Variant=8\r\nCode_format=777\r\nEnding=200\r\n");
  const QString missing = database_path_;
  ASSERT_TRUE(QFile::rename(missing, missing + ".away"));
  for (const QString verb : {"check", "apply", "compare"}) {
    QStringList call{verb, bad_codes};
    if (verb != "check") call << "--all";
    EXPECT_EQ(Run(call), kDatabase) << verb.toStdString();
    EXPECT_TRUE(err_text_.startsWith("Служебная база данных «" + missing + "» не найдена"))
        << err_text_.toStdString();
    EXPECT_EQ(out_text_, "");
  }
  EXPECT_EQ(Run({"list"}), 0) << "names by number";

  ASSERT_TRUE(QFile::rename(missing + ".away", missing));
  {
    ServiceDatabase damaged(missing, false);
    ASSERT_FALSE(damaged.SelectRows("ALTER TABLE CodeVariantsTable DROP COLUMN NAME"));
  }
  for (const QStringList& call : {QStringList{"list"}, QStringList{"check", File("one.kxr", kFile)},
                                  QStringList{"apply", File("one.kxr", kFile), "--all"}}) {
    EXPECT_EQ(Run(call), kDatabase) << call.join(' ').toStdString();
    EXPECT_TRUE(err_text_.contains("«в базе данных нет поля NAME»")) << err_text_.toStdString();
    EXPECT_EQ(out_text_, "") << "nothing is made of what the database could not give";
  }
  EXPECT_TRUE(std::ranges::none_of(hid_.DeviceAt(1)->ReceivedReports(),
                                   [](const auto& report) { return std::isupper(report[1]); }));
}

TEST_F(ApplyOverSimulatedReadersTest, ARecordKeepsALineForEveryReaderTouchedAndReadsBack) {
  hid_.Plug({.version = 0x0184, .serial_number = "00417"});
  hid_.Plug({.version = 0x0153, .serial_number = "00032"});  // passed over: not recorded
  const QString file = File("one.kxr", kFile);
  const QString record = QDir(folder_.path()).filePath("record.jsonl");
  EXPECT_EQ(Run({"apply", file, "--all", "--record", record}), 1);
  EXPECT_EQ(Run({"apply", file, "--serial", "00417", "--record", record}), 0);
  QFile kept(record);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = kept.readAll().trimmed().split('\n');
  kept.close();
  ASSERT_EQ(lines.size(), 2) << "one line a reader written, each apply appending";
  const QJsonObject line = QJsonDocument::fromJson(lines[0]).object();
  EXPECT_EQ(line["serial"].toString(), "00417");
  EXPECT_EQ(line["result"].toString(), "written");
  EXPECT_EQ(line["file"].toString(), file);
  EXPECT_EQ(line["sha256"].toString().size(), 64);
  EXPECT_TRUE(line["time"].toString().endsWith('Z')) << "UTC";
  EXPECT_TRUE(line["read_back"].toBool());
  EXPECT_EQ(line["after"]["prefix"].toString(), "AB");
  EXPECT_EQ(line["before"].toObject().keys(), line["after"].toObject().keys());
  ASSERT_TRUE(kept.open(QIODevice::Append));
  kept.write("{not json\n");
  kept.close();

  EXPECT_EQ(Run({"record", record}), 0);
  EXPECT_TRUE(out_text_.startsWith("time,host,user,serial,product_id,firmware,file,sha256,result,"))
      << out_text_.toStdString();
  EXPECT_EQ(out_text_.count("\r\n"), 3) << "the header and the two whole lines";
  EXPECT_EQ(err_text_, "Строка 3 журнала повреждена и пропущена.\n");
  EXPECT_EQ(Run({"record", record, "--json"}), 0);
  EXPECT_EQ(QJsonDocument::fromJson(out_text_.toUtf8())["record"].toArray().size(), 2);
  EXPECT_EQ(Run({"check", file, "--record", record}), 2) << "only apply keeps a record";
}

TEST_F(ApplyOverSimulatedReadersTest, AReaderWithoutAccessIsTheAccessStatusForEveryVerb) {
  hid_.Plug({.version = 0x0184, .serial_number = "00417"});
  hid_.Plug({.version = 0x0184, .serial_number = "00418"}).SetAccessDenied(true);
  const QString file = File("one.kxr", kFile);
  for (const QStringList& call : {QStringList{"list"}, QStringList{"compare", file, "--all"},
                                  QStringList{"apply", file, "--all"}}) {
    EXPECT_EQ(Run(call), kNoReader) << call.join(' ').toStdString();
    EXPECT_TRUE(err_text_.contains("00418")) << err_text_.toStdString();
  }
}

TEST_F(ApplyOverSimulatedReadersTest, ADatabaseThatCannotBeReadHasItsOwnStatus) {
  hid_.Plug({.version = 0x0184, .serial_number = "00417"});
  database_path_ = folder_.path();
  EXPECT_EQ(Run({"list"}), kDatabase);
  EXPECT_EQ(err_text_, "Служебная база данных «" + folder_.path() + "» не является файлом.\n");

  database_path_ = File("broken.db", "not a database at all, just text");
  EXPECT_EQ(Run({"check", File("one.kxr", kFile)}), kDatabase);
  EXPECT_TRUE(err_text_.contains("» не может быть открыта: «")) << err_text_.toStdString();

  database_path_ = QDir(folder_.path()).filePath("locked.db");
  ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, database_path_));
  {
    const OtherProgramsLock lock(database_path_);
    ASSERT_TRUE(lock.Held());
    EXPECT_EQ(Run({"compare", File("one.kxr", kFile), "--all"}), kDatabase);
    EXPECT_EQ(err_text_,
              "Служебная база данных «" + database_path_ + "» заблокирована другой программой.\n");
  }
  EXPECT_EQ(Run({"compare", File("one.kxr", kFile), "--all"}), 1) << "readable again";

  // A database without code formats: no file can be judged, and the file is not blamed.
  {
    ServiceDatabase emptied(database_path_, false);
    ASSERT_TRUE(emptied.SelectRows("DELETE FROM CodeVariantsTable") || !emptied.HadFailure());
  }
  for (const char* verb : {"check", "apply", "compare"}) {
    QStringList call{verb, File("one.kxr", kFile)};
    if (QString(verb) != "check") call << "--all";
    EXPECT_EQ(Run(call), kDatabase) << verb;
    EXPECT_EQ(err_text_,
              "В служебной базе данных нет форматов кода метки: файл настроек не может быть "
              "проверен. Операция не может быть выполнена.\n");
  }
}

TEST(ListReadersTest, AReaderWhoseNodeUdevIsStillSettingUpIsWaitedFor) {
  using namespace std::chrono_literals;
  SimulatedHidLibrary hid;
  FakeClock clock;
  hid.SetClock(clock);
  hid.SetUpSlowly(hid.Plug({.version = 0x0184, .serial_number = "00417"}), 3);
  ScriptedPresenter presenter;
  const std::vector<ConnectedReader> readers = ListReaders(hid, clock);
  ASSERT_EQ(readers.size(), 1u);
  EXPECT_EQ(readers[0].identity.serial_number, "00417");
  EXPECT_LT(clock.Now(), 2s) << "only as long as udev took";
}

TEST(ListReadersTest, AReaderThatAnswersLateIsListedAndAMuteOneOnlyAfterItsGrace) {
  using namespace std::chrono_literals;
  SimulatedHidLibrary hid;
  FakeClock clock;
  hid.SetClock(clock);
  auto& late = hid.Plug({.version = 0x0184, .serial_number = "00417"}, {.variant = 3});
  auto& refusing = hid.Plug({.version = 0x0184, .serial_number = "00158"}, {.variant = 3});
  late.SetAnswering(false);
  refusing.RefuseCommand('v');
  hid.on_write = [&](int) {
    if (clock.Now() >= 1s) late.SetAnswering(true);
  };
  ScriptedPresenter presenter;
  const std::vector<ConnectedReader> readers = ListReaders(hid, clock);
  ASSERT_EQ(readers.size(), 1u);
  EXPECT_EQ(readers[0].identity.serial_number, "00417");
  EXPECT_TRUE(readers[0].Configurable());
  EXPECT_LT(clock.Now(), 2s) << "no longer than it took to answer";
  EXPECT_EQ(refusing.ReceivedReports().size(), 1u) << "a refusal is asked nothing more";

  late.SetAnswering(false);
  hid.on_write = nullptr;
  const auto start = clock.Now();
  EXPECT_TRUE(ListReaders(hid, clock).empty());
  EXPECT_GE(clock.Now() - start, kLateReaderGrace);
  EXPECT_LT(clock.Now() - start, kLateReaderGrace + 1s);
}

}  // namespace
}  // namespace kx12r::cli
