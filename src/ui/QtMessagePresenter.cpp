#include "QtMessagePresenter.h"

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

MessageButton QtMessagePresenter::Present(const QString& text, int box_style,
                                          const QString& title) {
  QMessageBox box(Icon(box_style), title, text, Buttons(box_style), parent_);
  return ToMessageButton(box.exec());
}

}  // namespace kx12r
