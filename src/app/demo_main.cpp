// The configurator over simulated readers, for trying it without hardware.
#include <QTemporaryDir>

#include "app/DemoDatabase.h"
#include "app/Startup.h"
#include "cardtest/DemoCards.h"
#include "simulator/DemoReaders.h"

int main(int argc, char** argv) {
  if (const auto answered = kx12r::AnswerWithoutWindow(
          "kx12r-config-demo",
          "Конфигуратор считывателей KX12R над демонстрационными считывателями, для знакомства "
          "с программой без оборудования.",
          argc, argv)) {
    return *answered;
  }
  const auto application = kx12r::StartApplication("kx12r-config-demo", argc, argv);
  kx12r::SimulatedHidLibrary hid;
  kx12r::PlugDemoReaders(hid);
  kx12r::DemoCards cards(hid);
  // Whatever is tried in the demo stays in its own database, gone when it closes.
  const QTemporaryDir folder;
  return kx12r::RunConfigurator(
      hid,
      kx12r::CopyPristineDatabase(QString::fromLatin1(kx12r::kDemoPristineDatabase), folder.path()),
      [&cards](int handle, bool russian_layout) { cards.Present(handle, russian_layout); });
}
