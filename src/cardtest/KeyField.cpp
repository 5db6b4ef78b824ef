// The field the card test's keys arrive in.
#include "cardtest/KeyField.h"

#include <QKeyEvent>
#include <QKeySequence>

#include "cardtest/NamedKeys.h"

namespace kx12r {
namespace {

// The name of a key that types no character, as watch and the ending list name it.
QString NameOf(const QKeyEvent& event) {
  const std::optional<std::uint8_t> usage = UsageOfQtKey(event.key());
  if (!usage) return QString();
  return KeyName({.usage = *usage, .ctrl = event.modifiers().testFlag(Qt::ControlModifier)});
}

bool IsModifier(int key) {
  return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
         key == Qt::Key_Meta || key == Qt::Key_AltGr || key == Qt::Key_CapsLock;
}

}  // namespace

KeyField::KeyField(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);  // it shows the read; the keys never edit it
  setContextMenuPolicy(Qt::NoContextMenu);
}

bool KeyField::event(QEvent* event) {
  // Tab would move the focus and Esc could close something before the key reached the field.
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    keyPressEvent(static_cast<QKeyEvent*>(event));
    return true;
  }
  return QLineEdit::event(event);
}

void KeyField::keyPressEvent(QKeyEvent* event) {
  event->accept();
  if (IsModifier(event->key())) return;
  const QString name = NameOf(*event);
  const QString text = event->text();
  if (event->key() == Qt::Key_Space || (!text.isEmpty() && text.front().isPrint())) {
    for (const QChar c : text) emit KeyTyped(QString(c), name);
    return;
  }
  if (!name.isEmpty()) {
    emit KeyTyped(name, name);
    return;
  }
  // Any other key that types nothing is shown by Qt's name for it.
  emit KeyTyped(QStringLiteral("<") + QKeySequence(event->key()).toString() + QStringLiteral(">"),
                QString());
}

void KeyField::keyReleaseEvent(QKeyEvent* event) { event->accept(); }

}  // namespace kx12r
