// One edit of each kind on the settings tab, from the click or key that commits it to the
// reader written, with discovery idle and simulated readers at 1 ms per report: against the
// floor of its two reports (the command and its echo). A report waits for the next 1 ms frame of
// the bus, so an edit that starts late in a frame can come in under its floor. Ratios and
// overheads come last.
// Run: QT_QPA_PLATFORM=offscreen build/bench/edit_bench
#include <QApplication>
#include <QFile>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "BenchSupport.h"
#include "simulator/SimulatedHidLibrary.h"
#include "settings/ReaderSettingsTab.h"
#include "ui/GridToolkit.h"

namespace {

using namespace kx12r;
constexpr int kRounds = 15;
constexpr double kReportsPerEdit = 2;
constexpr double kAllowedOverheadMs = 2.0;

struct Window {
  QTemporaryDir folder;
  SimulatedHidLibrary hid;
  EventLoopClock clock;
  QWidget window;
  FlexGrid* table = new FlexGrid(&window);
  QTabWidget* tabs = new QTabWidget(&window);
  QStatusBar* bar = new QStatusBar(&window);
  StatusPanels status{*bar};
  RecordingDiscoveryView view;
  ReaderLink link{hid, *table, status, view, clock};
  ServiceDatabase database{GetDatabasePath(folder.path()), false};
  ReaderSettingsTab* tab = nullptr;
  SimulatedReader* reader = nullptr;

  Window() {
    QFile::copy(KX12R_SERVICE_DATABASE, GetDatabasePath(folder.path()));
    window.resize(733, 487);
    table->setGeometry(8, 8, 712, 103);
    tabs->setGeometry(8, 120, 713, 310);
    link.InitDeviceTable();
    tab = new ReaderSettingsTab(link, database);
    view.on_settings_grid = [grid = tab->MSFlexGrid2](bool enabled) { grid->setEnabled(enabled); };
    tabs->addTab(tab, "Настройки считывателя");
    tab->BuildSettingsGrid();
    reader = &hid.Plug({.product_id = 0x00DF, .version = 0x0184}, {.variant = 8});
    window.show();
    link.DiscoverReaders(true);
    link.SelectReader();
    tab->ShowReaderInSettingsGrid();
    hid.SetReportLatency(kFrame);
  }

  void Click(FlexGrid& grid, int row, int col) {
    const QPoint at = grid.CellGeometry(row, col).center() - grid.viewport()->geometry().topLeft();
    // From elsewhere first: a pointer already there would bring no move event.
    QTest::mouseMove(grid.viewport(), at + QPoint(1, 1));
    QTest::mouseMove(grid.viewport(), at);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
  }
  void Open(int col) {
    Click(*tab->MSFlexGrid2, 8, col);
    tab->CmdEdit->click();
  }
};

struct Result {
  const char* edit;
  double median_ms;
};

// Times `commit` after `prepare`, the median of several rounds.
Result Measure(const char* edit, const std::function<void(int)>& prepare,
               const std::function<void(int)>& commit) {
  std::vector<double> times;
  for (int round = 0; round < kRounds; ++round) {
    prepare(round);
    const auto start = Clock::now();
    commit(round);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  std::printf("%-12s median %6.2f ms\n", edit, times[times.size() / 2]);
  return {edit, times[times.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
  OffscreenUnlessTold();
  QApplication app(argc, argv);
  Window w;
  FlexGrid& grid = *w.tab->MSFlexGrid2;
  FlexGrid& popup = *w.tab->Editor->MSFlexGrid3;
  auto nothing = [](int) {};
  std::vector<Result> results;
  results.push_back(
      Measure("variant", nothing, [&](int round) { w.Click(grid, round % 2 ? 5 : 6, 1); }));
  w.Click(grid, 8, 2);
  results.push_back(Measure(
      "prefix",
      [&](int round) {
        w.Open(2);
        w.Click(popup, 0, 5);  // erase one character
        w.Click(popup, 3, round % 16);
      },
      [&](int) { w.Click(popup, 0, 14); }));
  auto choose = [&](int col) {
    return [&, col](int round) {
      w.Open(col);
      SelectGridRow(popup, round % 2 ? 2 : 3, false, false);
    };
  };
  results.push_back(
      Measure("code format", choose(3), [&](int) { QTest::keyClick(&popup, Qt::Key_Return); }));
  results.push_back(
      Measure("ending", choose(5), [&](int) { QTest::keyClick(&popup, Qt::Key_Return); }));
  results.push_back(Measure("flag", nothing, [&](int) { w.tab->CheckBox1->click(); }));

  const double floor_ms = kReportsPerEdit * kFrame.count() / 1000.0;
  bool within = true;
  for (const Result& result : results) {
    const double overhead = result.median_ms - floor_ms;
    const bool ok = overhead <= kAllowedOverheadMs;
    within = within && ok;
    std::printf("ratio, %-12s to its floor of %.0f ms: %.2f, overhead %.2f ms (bound %.0f ms) %s\n",
                result.edit, floor_ms, result.median_ms / floor_ms, overhead, kAllowedOverheadMs,
                ok ? "ok" : "OVER BOUND");
  }
  return within ? 0 : 1;
}
