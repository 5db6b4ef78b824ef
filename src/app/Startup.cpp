// The window programs before their window (--help, --version, no display) and their start.
#include "app/Startup.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/EndOnSignals.h"
#include "app/Form1.h"
#include "app/UserRights.h"
#include "base/RussianTranslation.h"
#include "base/StandardStreams.h"
#include "ui/QtMessagePresenter.h"

namespace kx12r {
namespace {

#ifdef NDEBUG
constexpr bool kCompiledRun = true;
#else
constexpr bool kCompiledRun = false;
#endif

// The exit status of a wrong call, as kx12rctl gives it.
constexpr int kWrongCall = 2;

// Once a signal has ended the program, no box stops it on its way out: a question is answered
// No, as one whose box could not be shown.
class BoxesUntilEnded : public QtMessagePresenter {
 public:
  MessageButton Present(const QString& text, int box_style, const QString& title) override {
    if (EndOnSignals::EndStatus() != 0) return MessageButton::kNo;
    return QtMessagePresenter::Present(text, box_style, title);
  }
};

bool IsSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

bool IsHelp(const char* argument) {
  return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
}

bool IsVersion(const char* argument) { return std::strcmp(argument, "--version") == 0; }

const char* starting_program = "";

// While the application is made: Qt's platform warnings are left out and its fatal failure to
// reach the display is said in the program's words.
void SayDisplayUnreachable(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  if (type == QtFatalMsg) {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (display == nullptr || *display == '\0') display = std::getenv("DISPLAY");
    std::fprintf(stderr,
                 "%s: для работы программы нужен графический сеанс (дисплей «%s» недоступен).\n",
                 starting_program, display != nullptr ? display : "");
    std::_Exit(EXIT_FAILURE);
  }
  if (QString::fromLatin1(context.category).startsWith(QStringLiteral("qt.qpa"))) return;
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

std::unique_ptr<QApplication> StartApplication(const char* program, int& argc, char** argv) {
  starting_program = program;
  const QtMessageHandler previous = qInstallMessageHandler(SayDisplayUnreachable);
  auto application = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(previous);
  return application;
}

std::optional<int> AnswerWithoutWindow(const char* program, const char* purpose, int argc,
                                       char** argv) {
#ifdef _WIN32
  // A window program has no console of its own: its answers go to the one it was started from,
  // unless its output is taken elsewhere.
  if (argc > 1 && GetStdHandle(STD_OUTPUT_HANDLE) == nullptr &&
      AttachConsole(ATTACH_PARENT_PROCESS)) {
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
  }
#endif
  KeepStandardStreamsBinary();
  // Any other word is a mistake of the caller's, named before anything else is done.
  for (int i = 1; i < argc; ++i) {
    if (!IsHelp(argv[i]) && !IsVersion(argv[i])) {
      std::fprintf(stderr,
                   "%s: неизвестный параметр «%s».\nИспользование: %s [--help] [--version]\n",
                   program, argv[i], program);
      return kWrongCall;
    }
  }
  for (int i = 1; i < argc; ++i) {
    if (IsVersion(argv[i])) {
      std::printf("%s %s\n", program, KX12R_VERSION);
      return EXIT_SUCCESS;
    }
    if (IsHelp(argv[i])) {
      std::printf("Использование: %s [--help] [--version]\n\n%s\n", program, purpose);
      return EXIT_SUCCESS;
    }
  }
#ifndef _WIN32  // Windows always has its desktop
  if (!IsSet("QT_QPA_PLATFORM") && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
    std::fprintf(stderr,
                 "%s: для работы программы нужен графический сеанс (не заданы DISPLAY и "
                 "WAYLAND_DISPLAY).\n",
                 program);
    return EXIT_FAILURE;
  }
#endif
  return std::nullopt;
}

int RunConfigurator(HidLibrary& hid, const QString& database_path, PresentDemoCard present_card) {
  InstallRussianTranslation();
  const EndOnSignals ending_on_signals;
  BoxesUntilEnded presenter;
  SetMessagePresenter(&presenter);
  EventLoopClock clock;
  const StartupEnvironment environment{.program_folder = QCoreApplication::applicationDirPath(),
                                       .compiled_run = kCompiledRun,
                                       .is_user_an_admin = IsUserAnAdmin,
                                       .database_path = database_path,
                                       .present_card = std::move(present_card)};
  std::unique_ptr<Form1> form = Form1::Load(hid, clock, environment);
  int code = EXIT_FAILURE;
  if (EndOnSignals::EndStatus() != 0) {
    // A signal taken by a box at start-up ends the program as one in the window's loop would.
    code = EndOnSignals::EndStatus();
  } else if (form) {
    presenter.SetParent(form.get());
    form->show();
    code = QApplication::exec();
  }
  form.reset();
  SetMessagePresenter(nullptr);
  return code;
}

}  // namespace kx12r
