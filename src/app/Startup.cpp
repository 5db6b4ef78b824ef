// The window programs before their window (--help, --version, no display) and their start.
#include "app/Startup.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Form1.h"
#include "app/UserRights.h"
#include "ui/QtMessagePresenter.h"
#include "ui/RussianTranslation.h"

namespace kx12r {
namespace {

#ifdef NDEBUG
constexpr bool kCompiledRun = true;
#else
constexpr bool kCompiledRun = false;
#endif

bool IsSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

}  // namespace

std::optional<int> AnswerWithoutWindow(const char* program, const char* purpose, int argc,
                                       char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s %s\n", program, KX12R_VERSION);
      return EXIT_SUCCESS;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf("Использование: %s [--help] [--version]\n\n%s\n", program, purpose);
      return EXIT_SUCCESS;
    }
  }
  if (!IsSet("QT_QPA_PLATFORM") && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
    std::fprintf(stderr,
                 "%s: для работы программы нужен графический сеанс (не заданы DISPLAY и "
                 "WAYLAND_DISPLAY).\n",
                 program);
    return EXIT_FAILURE;
  }
  return std::nullopt;
}

int RunConfigurator(HidLibrary& hid, const QString& database_path) {
  InstallRussianTranslation();
  QtMessagePresenter presenter;
  SetMessagePresenter(&presenter);
  EventLoopClock clock;
  const StartupEnvironment environment{.program_folder = QCoreApplication::applicationDirPath(),
                                       .compiled_run = kCompiledRun,
                                       .is_user_an_admin = IsUserAnAdmin,
                                       .database_path = database_path};
  std::unique_ptr<Form1> form = Form1::Load(hid, clock, environment);
  if (!form) return EXIT_FAILURE;
  presenter.SetParent(form.get());
  form->show();
  const int code = QApplication::exec();
  form.reset();
  SetMessagePresenter(nullptr);
  return code;
}

}  // namespace kx12r
