// kx12rctl: the configurator's work on many readers from a script.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <memory>

#include "base/RussianTranslation.h"
#include "base/StandardStreams.h"
#include "cli/Kx12rCtl.h"
#include "cli/StopOnSignals.h"
#include "cli/SystemDevices.h"
#include "db/ServiceDatabase.h"
#include "simulator/DemoReaders.h"
#include "simulator/DemoState.h"
#include "reader/HidapiLibrary.h"
#include "simulator/SimulatedKeyboardInputs.h"

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
  kx12r::KeepStandardStreamsBinary();
#ifdef _WIN32
  SetConsoleOutputCP(CP_UTF8);  // the console reads our UTF-8 as UTF-8
#endif
  QCoreApplication app(argc, argv);
  // File-system errors in the words the window uses.
  kx12r::InstallRussianTranslation();
  QStringList arguments = QCoreApplication::arguments().mid(1);
  std::unique_ptr<kx12r::HidLibrary> hid;
  std::unique_ptr<kx12r::KeyboardInputs> keyboards;
  std::function<void()> every_second;
  std::unique_ptr<kx12r::DemoState> demo_state;
  if (arguments.contains(QStringLiteral("--demo"))) {
    auto demo = std::make_unique<kx12r::SimulatedHidLibrary>();
    kx12r::PlugDemoReaders(*demo);
    // With a state file the demo readers remember what an earlier run wrote.
    if (const QString state = qEnvironmentVariable("KX12R_DEMO_STATE"); !state.isEmpty()) {
      demo_state = std::make_unique<kx12r::DemoState>(state, *demo);
    }
    keyboards = std::make_unique<kx12r::SimulatedKeyboardInputs>(*demo);
    // A card to every demo reader once a second, a new one each time.
    every_second = [demo = demo.get(), card = std::uint64_t{0x0012345678}]() mutable {
      card += 0x0101010101;
      for (kx12r::SimulatedReader* reader : demo->Plugged()) reader->PresentCard(card);
    };
    hid = std::move(demo);
  } else {
    hid = std::make_unique<kx12r::HidapiLibrary>();
    keyboards = kx12r::cli::SystemKeyboardInputs();
  }
  // Listening before the first look at the devices, so no reader plugged meanwhile is missed.
  const std::unique_ptr<kx12r::NodeWatch> nodes = kx12r::cli::SystemNodeWatch();
  QTextStream out(stdout);
  QTextStream err(stderr);
  kx12r::cli::Environment environment{
      *hid,
      kx12r::GetDatabasePath(QCoreApplication::applicationDirPath()),
      out,
      err,
      keyboards.get(),
      every_second,
      nullptr,
      nodes.get()};
  if (demo_state && !demo_state->Problem().isEmpty()) {
    err << QStringLiteral("Состояние демонстрационных считывателей не прочитано: ")
        << demo_state->Problem() << Qt::endl;
  }
  int status = kx12r::cli::Run(arguments, environment);
  kx12r::cli::IgnoreStopSignals();
  if (demo_state) {
    if (const QString problem = demo_state->Save(); !problem.isEmpty()) {
      err << QStringLiteral("Состояние демонстрационных считывателей не сохранено: ") << problem
          << Qt::endl;
      status = kx12r::cli::kRefused;
    }
  }
  hid->Disconnect();
  // Results that never reached their reader (a full disk, a closed pipe) are no success.
  out.flush();
  if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0) {
    err << QStringLiteral("Не удалось записать результаты в стандартный вывод.") << Qt::endl;
    status = kx12r::cli::kRefused;
  }
  return status;
}
