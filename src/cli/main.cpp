// kx12rctl: the configurator's work on many readers from a script.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <memory>

#include "DemoReaders.h"
#include "HidapiLibrary.h"
#include "Kx12rCtl.h"
#include "ServiceDatabase.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList arguments = QCoreApplication::arguments().mid(1);
  std::unique_ptr<kx12r::HidLibrary> hid;
  if (arguments.contains(QStringLiteral("--demo"))) {
    auto demo = std::make_unique<kx12r::SimulatedHidLibrary>();
    kx12r::PlugDemoReaders(*demo);
    hid = std::move(demo);
  } else {
    hid = std::make_unique<kx12r::HidapiLibrary>();
  }
  QTextStream out(stdout);
  QTextStream err(stderr);
  kx12r::cli::Environment environment{
      *hid, kx12r::GetDatabasePath(QCoreApplication::applicationDirPath()), out, err};
  const int status = kx12r::cli::Run(arguments, environment);
  hid->Disconnect();
  return status;
}
