// Messages shown as Qt message boxes with the system's buttons and titles.
#include "ui/QtMessagePresenter.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace kx12r {
namespace {

// The low bits of a box style choose the buttons, the next ones the icon.
QMessageBox::StandardButtons Buttons(int box_style) {
  switch (box_style & 0x0F) {
    case 1:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case 2:
      return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case 3:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case 4:
      return QMessageBox::Yes | QMessageBox::No;
    case 5:
      return QMessageBox::Retry | QMessageBox::Cancel;
    default:
      return QMessageBox::Ok;
  }
}

QMessageBox::Icon Icon(int box_style) {
  switch (box_style & 0x70) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

struct ButtonName {
  QMessageBox::StandardButton button;
  const char* text;
};

constexpr ButtonName kButtonNames[] = {
    {QMessageBox::Ok, "ОК"},
    {QMessageBox::Cancel, "Отмена"},
    {QMessageBox::Yes, "Да"},
    {QMessageBox::No, "Нет"},
    {QMessageBox::Abort, "Прервать"},
    {QMessageBox::Retry, "Повторить"},
    {QMessageBox::Ignore, "Пропустить"},
};

MessageButton ToMessageButton(int pressed) {
  switch (pressed) {
    case QMessageBox::Ok:
      return MessageButton::kOk;
    case QMessageBox::Cancel:
      return MessageButton::kCancel;
    case QMessageBox::Abort:
      return MessageButton::kAbort;
    case QMessageBox::Retry:
      return MessageButton::kRetry;
    case QMessageBox::Ignore:
      return MessageButton::kIgnore;
    case QMessageBox::Yes:
      return MessageButton::kYes;
    case QMessageBox::No:
      return MessageButton::kNo;
    default:
      return MessageButton::kCancel;  // closed with Esc or the title bar
  }
}

}  // namespace

std::unique_ptr<QMessageBox> BuildMessageBox(const QString& text, int box_style,
                                             const QString& title, QWidget* parent) {
  auto box =
      std::make_unique<QMessageBox>(Icon(box_style), title, text, Buttons(box_style), parent);
  for (const ButtonName& name : kButtonNames) {
    if (QAbstractButton* button = box->button(name.button)) {
      button->setText(QString::fromUtf8(name.text));
    }
  }
  return box;
}

MessageButton QtMessagePresenter::Present(const QString& text, int box_style,
                                          const QString& title) {
  return ToMessageButton(BuildMessageBox(text, box_style, title, parent_)->exec());
}

}  // namespace kx12r
