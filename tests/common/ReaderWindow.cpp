// The window that tests of the screens build on.
#include "ReaderWindow.h"

namespace kx12r {
namespace {

constexpr QRect kDeviceListPlace(8, 8, 712, 103);
constexpr int kStatusBarHeight = 23;

}  // namespace

void RecordingDiscoveryView::ShowProgress(int maximum) {
  progress_maximum = maximum;
  progress_visible = true;
  progress_log.push_back(-maximum);
}

void RecordingDiscoveryView::SetProgress(int value) {
  progress_values.push_back(value);
  progress_log.push_back(value);
}

void RecordingDiscoveryView::ShowReadersPresent(bool present) {
  readers_present = present;
  if (on_settings_grid) on_settings_grid(present);
}

void RecordingDiscoveryView::SetSettingsGridEnabled(bool enabled) {
  settings_grid_enabled = enabled;
  if (on_settings_grid) on_settings_grid(enabled);
}

ReaderWindow::ReaderWindow(QSize size) {
  hid_.SetClock(clock_);
  window_.resize(size);
  table_ = new FlexGrid(&window_);
  table_->setGeometry(kDeviceListPlace);
  bar_ = new QStatusBar(&window_);
  bar_->setGeometry(0, size.height() - kStatusBarHeight, size.width(), kStatusBarHeight);
  status_ = std::make_unique<StatusPanels>(*bar_);
  link_ = std::make_unique<ReaderLink>(hid_, *table_, *status_, view_, clock_);
  link_->InitDeviceTable();
}

}  // namespace kx12r
