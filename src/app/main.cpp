// The configurator over the readers plugged in.
#include <QApplication>

#include "app/Startup.h"
#include "reader/HidapiLibrary.h"

int main(int argc, char** argv) {
  if (const auto answered = kx12r::AnswerWithoutWindow(
          "kx12r-config",
          "Конфигуратор считывателей KX12R: список подключенных считывателей, их настройки, "
          "файлы настроек и служебная база данных.",
          argc, argv)) {
    return *answered;
  }
  QApplication app(argc, argv);
  kx12r::HidapiLibrary hid;
  return kx12r::RunConfigurator(hid);
}
