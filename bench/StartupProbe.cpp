// The demo program as it starts for a technician, ended as soon as its window is up: prints
// "shown" on standard output then. Run by startup_bench.
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/Startup.h"
#include "simulator/DemoReaders.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kx12r::SimulatedHidLibrary hid;
  kx12r::PlugDemoReaders(hid);
  // The first turn of the event loop comes after the window has been shown and laid out.
  QTimer::singleShot(0, [] {
    std::puts("shown");
    std::fflush(stdout);
    QCoreApplication::exit(0);
  });
  return kx12r::RunConfigurator(hid);
}
