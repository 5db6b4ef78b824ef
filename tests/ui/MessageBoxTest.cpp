#include <gtest/gtest.h>

#include "MessageBox.h"
#include "ScriptedPresenter.h"

namespace kx12r {
namespace {

TEST(MessageBoxTest, QuestionStylesBecomeBoxStylesAndAnswersAreMapped) {
  ScriptedPresenter presenter;
  presenter.Answer(MessageButton::kYes);
  presenter.Answer(MessageButton::kNo);
  presenter.Answer(MessageButton::kCancel);
  EXPECT_EQ(ShowMessage("q", kYesNoCancelQuestion, kMessageTitle), kAnswerYes);
  EXPECT_EQ(ShowMessage("q", kYesNoCancelQuestion, kMessageTitle), kAnswerNo);
  EXPECT_EQ(ShowMessage("q", kYesNoCancelQuestion, kMessageTitle), kAnswerOkOrCancel);
  EXPECT_EQ(presenter.shown[0].style, 35);

  presenter.Answer(MessageButton::kRetry);
  EXPECT_EQ(ShowMessage("r", 5, kMessageTitle), kAnswerNo);
  EXPECT_EQ(presenter.shown[3].style, 5) << "other styles pass unchanged";
  EXPECT_EQ(ShowMessage("i", kInformationStyle, kMessageTitle), kAnswerOkOrCancel);
  EXPECT_EQ(ShowMessage("y", kYesNoQuestion, kMessageTitle), kAnswerYes);
  EXPECT_EQ(presenter.shown[5].style, 36);
}

TEST(MessageBoxTest, ABoxThatCannotBeShownAnswersOne) {
  EXPECT_EQ(ShowMessage("nobody sees this", kYesNoQuestion, kMessageTitle), kAnswerYes);
  EXPECT_EQ(Quoted("118"), "«118»");
}

}  // namespace
}  // namespace kx12r
