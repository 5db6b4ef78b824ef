// The configurator over simulated readers, for trying it without hardware.
#include <QApplication>

#include "DemoReaders.h"
#include "Startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kx12r::SimulatedHidLibrary hid;
  kx12r::PlugDemoReaders(hid);
  return kx12r::RunConfigurator(hid);
}
