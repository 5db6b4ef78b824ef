// The window programs' answers before any window: version, help, no graphical session.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#endif

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace kx12r {
namespace {

struct Answer {
  int status;
  QString out;
  QString err;
};

Answer RunProgram(
    const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  process.waitForFinished(30000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

TEST(CommandLineTest, TheWindowProgramsAnswerVersionAndHelpWithoutAWindow) {
  for (const auto& [path, name] : {std::pair{KX12R_CONFIG, "kx12r-config"},
                                   std::pair{KX12R_CONFIG_DEMO, "kx12r-config-demo"}}) {
    const Answer version = RunProgram(path, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QString(name) + " 1.1.0\n");
    const Answer help = RunProgram(path, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QString("Использование: ") + name + " [--help] [--version]"));

    QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      headless.remove(variable);
    }
    // A wrong word is named before the display or anything else is looked at.
    for (const QStringList& wrong :
         {QStringList{"--bogus"}, QStringList{"--version", "-platform"}}) {
      const Answer answer = RunProgram(path, wrong, headless);
      EXPECT_EQ(answer.status, 2);
      EXPECT_EQ(answer.out, "");
      EXPECT_EQ(answer.err, QString(name) + ": неизвестный параметр «" + wrong.last() +
                                "».\nИспользование: " + name + " [--help] [--version]\n");
    }
#ifndef _WIN32  // Windows always has its desktop
    const Answer no_session = RunProgram(path, {}, headless);
    EXPECT_EQ(no_session.status, 1);
    EXPECT_EQ(no_session.err, QString(name) +
                                  ": для работы программы нужен графический сеанс (не заданы "
                                  "DISPLAY и WAYLAND_DISPLAY).\n");
    QProcessEnvironment unreachable = headless;
    unreachable.insert("DISPLAY", ":987");
    const Answer no_display = RunProgram(path, {}, unreachable);
    EXPECT_EQ(no_display.status, 1);
    EXPECT_EQ(no_display.err, QString(name) +
                                  ": для работы программы нужен графический сеанс (дисплей "
                                  "«:987» недоступен).\n");
#endif
  }
}

#ifndef _WIN32  // signals
TEST(CommandLineTest, TheDemoRemovesItsDatabaseCopyWhenASignalEndsIt) {
  for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
    const QTemporaryDir temporary, runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", temporary.path());
    environment.insert("XDG_RUNTIME_DIR", runtime.path());  // else Qt makes one in TMPDIR
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess demo;
    demo.setProcessEnvironment(environment);
    demo.start(KX12R_CONFIG_DEMO, {});
    const QDir folder(temporary.path());
    const auto left = [&] {
      return folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !left().isEmpty(); }, 30000)) << "no copy made";
    QTest::qWait(300);  // the window is up
    kill(static_cast<pid_t>(demo.processId()), number);
    ASSERT_TRUE(demo.waitForFinished(30000));
    EXPECT_EQ(demo.exitStatus(), QProcess::NormalExit) << "signal " << number;
    EXPECT_EQ(demo.exitCode(), 128 + number);
    EXPECT_TRUE(left().isEmpty()) << left().join(' ').toStdString();
  }
}

TEST(CommandLineTest, ASignalWhileAStartUpBoxIsUpEndsTheProgram) {
  // Without its database beside it the configurator says so in a box at start-up.
  const QTemporaryDir folder;
  const QString program = QDir(folder.path()).filePath("kx12r-config");
  ASSERT_TRUE(QFile::copy(KX12R_CONFIG, program));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  QProcess configurator;
  configurator.setProcessEnvironment(environment);
  configurator.start(program, {});
  ASSERT_TRUE(configurator.waitForStarted());
  QTest::qWait(2000);  // the box is up
  ASSERT_EQ(configurator.state(), QProcess::Running);
  kill(static_cast<pid_t>(configurator.processId()), SIGTERM);
  ASSERT_TRUE(configurator.waitForFinished(30000));
  EXPECT_EQ(configurator.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(configurator.exitCode(), 128 + SIGTERM);
}
#endif

}  // namespace
}  // namespace kx12r
