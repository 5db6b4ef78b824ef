#pragma once

#include <QString>

namespace kx12r {

// Styles of the message box.
inline constexpr int kStopStyle = 16;              // stop icon, OK
inline constexpr int kInformationStyle = 64;       // information icon, OK
inline constexpr int kYesNoQuestion = -101;        // question icon, Yes and No
inline constexpr int kYesNoCancelQuestion = -103;  // question icon, Yes, No and Cancel

// Answers of ShowMessage.
inline constexpr int kAnswerNo = 0;
inline constexpr int kAnswerYes = 1;
inline constexpr int kAnswerOkOrCancel = 2;

// Titles.
inline const QString kMessageTitle = QStringLiteral("Сообщение!");
inline const QString kErrorTitle = QStringLiteral("Ошибка!");
inline const QString kEngineErrorTitle = QStringLiteral("Ошибка");

// The buttons a box can report, numbered as the box style values count them.
enum class MessageButton { kFailed = -1, kOk = 1, kCancel, kAbort, kRetry, kIgnore, kYes, kNo };

// Puts one message to the user. `box_style` is the icon and button code of the box (16, 64,
// 36 for Yes/No questions, 35 for Yes/No/Cancel, or any other passed through).
class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  virtual MessageButton Present(const QString& text, int box_style, const QString& title) = 0;
};

// Every message of the program goes through this presenter; none installed counts as a box
// that could not be shown.
void SetMessagePresenter(MessagePresenter* presenter);

// Shows the text modally and answers 1 for Yes, 0 for No (and Abort, Retry, Ignore), 2 for OK
// or Cancel, and 0 when the box could not be shown: a question nobody answered is a No.
int ShowMessage(const QString& text, int style, const QString& title);

// A message a part of the program hands on, for the program to tell in its own way.
struct Notice {
  QString text;
  int style = kInformationStyle;
  QString title;
};
// Tells a notice in a box, as the window tells every message.
void ShowNotice(const Notice& notice);

// A value quoted in a message stands between guillemets.
inline QString Quoted(const QString& value) {
  return QStringLiteral("«") + value + QStringLiteral("»");
}

}  // namespace kx12r
