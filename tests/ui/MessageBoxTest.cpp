#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>

#include "ScriptedPresenter.h"
#include "base/MessageBox.h"
#include "base/RussianTranslation.h"
#include "ui/QtMessagePresenter.h"

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

TEST(MessageBoxTest, AQuestionNobodyCouldAnswerIsAnsweredNo) {
  EXPECT_EQ(ShowMessage("nobody sees this", kYesNoQuestion, kMessageTitle), kAnswerNo);
  EXPECT_EQ(Quoted("118"), "«118»");
}

QStringList ButtonTexts(int box_style) {
  const auto box = BuildMessageBox("text", box_style, kMessageTitle, nullptr);
  QStringList texts;
  for (QAbstractButton* button : box->buttons()) texts << button->text();
  texts.sort();
  return texts;
}

TEST(MessageBoxTest, ButtonsAreRussianWhateverTheSessionLanguage) {
  EXPECT_EQ(ButtonTexts(36), (QStringList{"Да", "Нет"}));
  EXPECT_EQ(ButtonTexts(35), (QStringList{"Да", "Нет", "Отмена"}));
  EXPECT_EQ(ButtonTexts(kInformationStyle), QStringList{"ОК"});
  EXPECT_EQ(ButtonTexts(2), (QStringList{"Повторить", "Прервать", "Пропустить"}));
  EXPECT_EQ(ButtonTexts(1), (QStringList{"ОК", "Отмена"}));
}

TEST(MessageBoxTest, QtsOwnTextsComeInRussian) {
  ASSERT_TRUE(InstallRussianTranslation());
  // The text box's own context menu.
  EXPECT_NE(QCoreApplication::translate("QLineEdit", "&Undo"), "&Undo");
  EXPECT_NE(QCoreApplication::translate("QLineEdit", "Select All"), "Select All");
}

}  // namespace
}  // namespace kx12r
