// The configurator over the readers plugged in.

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
  const auto application = kx12r::StartApplication("kx12r-config", argc, argv);
  kx12r::HidapiLibrary hid;
  return kx12r::RunConfigurator(hid);
}
