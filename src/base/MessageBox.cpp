// Messages to the user through the presenter the program installs.
#include "base/MessageBox.h"

namespace kx12r {
namespace {

MessagePresenter* installed_presenter = nullptr;

constexpr int kYesNoBox = 36;
constexpr int kYesNoCancelBox = 35;

}  // namespace

void SetMessagePresenter(MessagePresenter* presenter) { installed_presenter = presenter; }

int ShowMessage(const QString& text, int style, const QString& title) {
  const int box_style = style == kYesNoQuestion         ? kYesNoBox
                        : style == kYesNoCancelQuestion ? kYesNoCancelBox
                                                        : style;
  const MessageButton button = installed_presenter
                                   ? installed_presenter->Present(text, box_style, title)
                                   : MessageButton::kFailed;
  // A box nobody saw answers no question with Yes: nothing is deleted or closed unasked.
  switch (button) {
    case MessageButton::kYes:
      return kAnswerYes;
    case MessageButton::kOk:
    case MessageButton::kCancel:
      return kAnswerOkOrCancel;
    default:
      return kAnswerNo;
  }
}

void ShowNotice(const Notice& notice) { ShowMessage(notice.text, notice.style, notice.title); }

}  // namespace kx12r
