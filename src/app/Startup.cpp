#include "Startup.h"

#include <QApplication>
#include <cstdlib>

#include "Form1.h"
#include "QtMessagePresenter.h"
#include "RussianTranslation.h"
#include "UserRights.h"

namespace kx12r {
namespace {

#ifdef NDEBUG
constexpr bool kCompiledRun = true;
#else
constexpr bool kCompiledRun = false;
#endif

}  // namespace

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
