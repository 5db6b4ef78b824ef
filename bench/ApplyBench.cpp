// Applying a settings file to 32 simulated readers at 1 ms per report through the files tab,
// against the floor of the reports the apply needs: eight commands of a write and a read each,
// per reader. The ratio comes last.
// Run: QT_QPA_PLATFORM=offscreen build/bench/apply_bench
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStatusBar>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "BenchSupport.h"
#include "files/SettingsFilesTab.h"
#include "simulator/SimulatedHidLibrary.h"

namespace {

using namespace kx12r;
constexpr int kReaders = 32;
constexpr int kReportsPerReader = 16;
constexpr double kBound = 1.10;

}  // namespace

int main(int argc, char** argv) {
  OffscreenUnlessTold();
  QApplication app(argc, argv);
  ScriptedPresenter presenter;
  QTemporaryDir folder;
  QFile::copy(KX12R_SERVICE_DATABASE, GetDatabasePath(folder.path()));
  SimulatedHidLibrary hid;
  EventLoopClock clock;
  QWidget window;
  FlexGrid table(&window);
  QStatusBar bar(&window);
  StatusPanels status(bar);
  RecordingDiscoveryView view;
  ReaderLink link(hid, table, status, view, clock);
  ServiceDatabase database(GetDatabasePath(folder.path()), false);
  link.InitDeviceTable();
  for (int i = 0; i < kReaders; ++i) hid.Plug({.serial_number = "00001"}, {.variant = 1});
  link.DiscoverReaders(true);
  SettingsFilesTab tab(link, database, folder.path(), &window);
  window.show();
  tab.SetUpFilesTab();
  QFile file(QDir(folder.path()).filePath("Cfg-files/all.kxr"));
  file.open(QIODevice::WriteOnly);
  file.write(
      "Variant=8\r\nPrefix=AB\r\nCode_format=5\r\nSuffix=C\r\nEnding=13\r\n"
      "buZzer_off=1\r\nstandAlone=0\r\nRepeat_message=1\r\n\r\n");
  file.close();
  tab.Option2->click();
  tab.File1->Refresh();
  tab.File1->SelectFirst();
  tab.PreviewSettingsFile();
  tab.Check1->setChecked(true);
  hid.SetReportLatency(kFrame);

  const auto start = Clock::now();
  tab.Command1->click();
  const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
  const double floor_ms = static_cast<double>(kReaders * kReportsPerReader) * kFrame.count() / 1000;
  const double ratio = elapsed.count() / floor_ms;
  std::printf(
      "apply to %d readers: %8.1f ms, floor %6.1f ms; the last message: %s\n", kReaders,
      elapsed.count(), floor_ms,
      (presenter.shown.empty() ? QString() : presenter.shown.back().text).toStdString().c_str());
  std::printf("ratio, apply to %d readers to its floor: %.3f (bound %.2f) %s\n", kReaders, ratio,
              kBound, ratio <= kBound ? "ok" : "OVER BOUND");
  return ratio <= kBound ? 0 : 1;
}
