#pragma once

#include <QSize>
#include <QStatusBar>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "FakeClock.h"
#include "link/ReaderLink.h"
#include "simulator/SimulatedHidLibrary.h"

namespace kx12r {

// Records what discovery asks of the window; `on_settings_grid` lets a test's own settings grid
// follow, as the window's does.
class RecordingDiscoveryView : public DiscoveryView {
 public:
  void ShowProgress(int maximum) override;
  void SetProgress(int value) override;
  void HideProgress() override { progress_visible = false; }
  void ShowReadersPresent(bool present) override;
  void SetSettingsGridEnabled(bool enabled) override;

  int progress_maximum = 0;
  bool progress_visible = false;
  std::vector<int> progress_values;
  // Both in their order: a maximum as its negative, then each value.
  std::vector<int> progress_log;
  bool readers_present = false;
  bool settings_grid_enabled = true;
  std::function<void(bool enabled)> on_settings_grid;
};

// A window with the device list and the status bar, and the reader link over simulated readers
// with a clock that never sleeps. Tests' fixtures derive from it and add the screen they try.
class ReaderWindow {
 protected:
  explicit ReaderWindow(QSize size);

  SimulatedHidLibrary hid_;
  FakeClock clock_;
  RecordingDiscoveryView view_;
  QWidget window_;
  FlexGrid* table_;
  QStatusBar* bar_;
  std::unique_ptr<StatusPanels> status_;
  std::unique_ptr<ReaderLink> link_;
};

}  // namespace kx12r
