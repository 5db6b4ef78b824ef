#pragma once

#include <gtest/gtest.h>

#include <QStatusBar>
#include <QWidget>

#include "FakeClock.h"
#include "ScriptedPresenter.h"
#include "link/ReaderLink.h"
#include "reader/SimulatedHidLibrary.h"

namespace kx12r {

// Records what discovery asks of the window.
class RecordingDiscoveryView : public DiscoveryView {
 public:
  void ShowProgress(int maximum) override {
    progress_maximum = maximum;
    progress_visible = true;
  }
  void SetProgress(int value) override { progress_values.push_back(value); }
  void HideProgress() override { progress_visible = false; }
  void ShowReadersPresent(bool present) override { readers_present = present; }
  void SetSettingsGridEnabled(bool enabled) override { settings_grid_enabled = enabled; }

  int progress_maximum = 0;
  bool progress_visible = false;
  std::vector<int> progress_values;
  bool readers_present = false;
  bool settings_grid_enabled = true;
};

// A device list on a window over simulated readers, with a clock that never sleeps.
class ReaderLinkFixture : public ::testing::Test {
 protected:
  ReaderLinkFixture() {
    hid_.SetClock(clock_);
    window_.resize(760, 200);
    table_ = new FlexGrid(&window_);
    table_->setGeometry(8, 8, 712, 103);
    bar_ = new QStatusBar(&window_);
    status_ = std::make_unique<StatusPanels>(*bar_);
    link_ = std::make_unique<ReaderLink>(hid_, *table_, *status_, view_, clock_);
    link_->InitDeviceTable();
  }

  SimulatedReader& PlugReader(std::uint16_t version = 0x0184,
                              ReaderSettings settings = {.variant = 3},
                              std::uint16_t product = 0x0002) {
    return hid_.Plug({.product_id = product,
                      .version = version,
                      .serial_number = "00417",
                      .product_name = "  KX12R  ",
                      .vendor_name = "Salvion "},
                     settings);
  }
  SimulatedReader& PlugKeyboard() { return hid_.Plug({.vendor_id = 0x046D, .product_id = 0xC31C}); }

  std::vector<int> ShownRows() const {
    std::vector<int> rows;
    for (int row = 1; row < table_->Rows(); ++row) {
      if (table_->RowHeight(row) > 0) rows.push_back(row);
    }
    return rows;
  }

  QWidget window_;
  FlexGrid* table_;
  QStatusBar* bar_;
  std::unique_ptr<StatusPanels> status_;
  SimulatedHidLibrary hid_;
  RecordingDiscoveryView view_;
  FakeClock clock_;
  ScriptedPresenter presenter_;
  std::unique_ptr<ReaderLink> link_;
};

}  // namespace kx12r
