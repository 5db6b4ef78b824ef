#pragma once

#include "base/MessageBox.h"
#include "link/ReaderLink.h"

namespace kx12r {

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
