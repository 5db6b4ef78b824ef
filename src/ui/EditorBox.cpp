// The in-place edit box over a grid cell.
#include "ui/EditorBox.h"

#include <QKeyEvent>

namespace kx12r {

void EditorBox::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (IsEditing() && event->key() == Qt::Key_Escape) return CancelEdit();
  if (IsEditing() && enter) {
    const bool ctrl_saves = toolTip().contains(QStringLiteral("\"Ctrl+Enter\""));
    if (ctrl_saves ? modifiers == Qt::ControlModifier : modifiers == Qt::NoModifier) {
      SetTag(QStringLiteral("0"));
    }
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void EditorBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Leaving the box ends the edit as a cancel; a box of the program's own (a message) does not.
  if (IsEditing() && event->reason() != Qt::PopupFocusReason &&
      event->reason() != Qt::ActiveWindowFocusReason) {
    CancelEdit();
  }
}

}  // namespace kx12r
