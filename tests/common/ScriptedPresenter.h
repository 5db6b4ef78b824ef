#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "base/MessageBox.h"

namespace kx12r {

struct ShownMessage {
  QString text;
  int style;  // the box style: 16, 64, 36 for Yes/No, 35 for Yes/No/Cancel
  QString title;
};

// Answers messages from a queue and records each one; installed for its lifetime. With the
// queue empty a box answers with its first button (OK, or Yes for a question).
class ScriptedPresenter : public MessagePresenter {
 public:
  ScriptedPresenter() { SetMessagePresenter(this); }
  ~ScriptedPresenter() override { SetMessagePresenter(nullptr); }

  void Answer(MessageButton button) { answers_.push_back(button); }
  MessageButton Present(const QString& text, int box_style, const QString& title) override {
    shown.push_back({text, box_style, title});
    if (on_present) on_present(shown.back());
    if (answers_.empty()) return (box_style & 0x0F) >= 3 ? MessageButton::kYes : MessageButton::kOk;
    const MessageButton button = answers_.front();
    answers_.pop_front();
    return button;
  }

  std::vector<ShownMessage> shown;
  // Runs while a box is up, to look at the window as the user sees it then.
  std::function<void(const ShownMessage&)> on_present;

 private:
  std::deque<MessageButton> answers_;
};

}  // namespace kx12r
