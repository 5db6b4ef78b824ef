// The window programs' answers before any window: version, help, no graphical session.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

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
    EXPECT_EQ(version.out, QString(name) + " 1.0.3\n");
    const Answer help = RunProgram(path, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QString("Использование: ") + name + " [--help] [--version]"));

    QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      headless.remove(variable);
    }
    const Answer no_session = RunProgram(path, {}, headless);
    EXPECT_EQ(no_session.status, 1);
    EXPECT_EQ(no_session.err, QString(name) +
                                  ": для работы программы нужен графический сеанс (не заданы "
                                  "DISPLAY и WAYLAND_DISPLAY).\n");
  }
}

}  // namespace
}  // namespace kx12r
