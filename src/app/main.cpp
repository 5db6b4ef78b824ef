#include <QApplication>

#include "HidapiLibrary.h"
#include "Startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kx12r::HidapiLibrary hid;
  return kx12r::RunConfigurator(hid);
}
