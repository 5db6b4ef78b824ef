#pragma once

#include <QtGlobal>
#include <chrono>

#include "base/MessageBox.h"
#include "link/ReaderLink.h"

namespace kx12r {

using Clock = std::chrono::steady_clock;
// A full-speed USB device moves one report per 1 ms frame: the benchmarks' report floor.
inline constexpr std::chrono::microseconds kFrame{1000};

// Benchmarks need no display unless one is asked for.
inline void OffscreenUnlessTold() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

// A window without progress bar or tabs, for discovery in a benchmark.
class NoDiscoveryView : public DiscoveryView {
 public:
  void ShowProgress(int) override {}
  void SetProgress(int) override {}
  void HideProgress() override {}
  void ShowReadersPresent(bool) override {}
  void SetSettingsGridEnabled(bool) override {}
};

// Answers every message with its first button and keeps the last text, so a benchmark never
// waits on a box.
class SilentPresenter : public MessagePresenter {
 public:
  SilentPresenter() { SetMessagePresenter(this); }
  ~SilentPresenter() override { SetMessagePresenter(nullptr); }
  MessageButton Present(const QString& text, int box_style, const QString&) override {
    last = text;
    return (box_style & 0x0F) >= 3 ? MessageButton::kYes : MessageButton::kOk;
  }
  QString last;
};

}  // namespace kx12r
