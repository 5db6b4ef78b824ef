// The field the card test's keys arrive in.
#include "cardtest/KeyField.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>

#include "cardtest/NamedKeys.h"

namespace kx12r {
namespace {

constexpr int kShownTail = 120;  // characters of the read in hand the field shows
// X11's state bit for Caps Lock, in the key events of the xcb platform.
constexpr quint32 kXLockMask = 0x02;

bool IsModifier(int key) {
  return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
         key == Qt::Key_Meta || key == Qt::Key_AltGr || key == Qt::Key_CapsLock;
}

// The name of a key a message can end with, as watch and the ending list name it; empty for
// any other key.
QString EndingNameOf(const QKeyEvent& event) {
  const Qt::KeyboardModifiers held = event.modifiers() & ~Qt::KeypadModifier;
  if (held & ~Qt::ControlModifier) return QString();
  const std::optional<std::uint8_t> usage = UsageOfQtKey(event.key());
  if (!usage || event.key() == Qt::Key_Backtab) return QString();
  return KeyName({.usage = *usage, .ctrl = held.testFlag(Qt::ControlModifier)});
}

bool TypesCharacter(const QKeyEvent& event) {
  const Qt::KeyboardModifiers held = event.modifiers();
  if (held & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const QString text = event.text();
  return !text.isEmpty() && text.front().isPrint();
}

std::optional<bool> CapsLockOf(const QKeyEvent& event) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) return std::nullopt;
  return (event.nativeModifiers() & kXLockMask) != 0;
}

}  // namespace

KeyField::KeyField(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);  // it shows the read; the keys never edit it
  setContextMenuPolicy(Qt::NoContextMenu);
}

bool KeyField::IsReaderKey(const QKeyEvent& event) {
  return !IsWindowKey(event) && (TypesCharacter(event) || !EndingNameOf(event).isEmpty());
}

bool KeyField::IsWindowKey(const QKeyEvent& event) {
  const Qt::KeyboardModifiers held = event.modifiers();
  const int key = event.key();
  if (held & (Qt::AltModifier | Qt::MetaModifier)) return true;
  if (key == Qt::Key_Backtab || key == Qt::Key_F6) return true;
  if (held & Qt::ControlModifier) {
    return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_PageUp ||
           key == Qt::Key_PageDown || key == Qt::Key_C || key == Qt::Key_Insert;
  }
  return false;
}

void KeyField::ShowPending(const QString& pending) {
  setText(pending.size() > kShownTail ? QStringLiteral("…") + pending.right(kShownTail) : pending);
}

bool KeyField::event(QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) {
    return QLineEdit::event(event);
  }
  const auto& key = static_cast<QKeyEvent&>(*event);
  // The window's own keys go where they always go: the focus chain, the tabs, the shortcuts.
  if (IsWindowKey(key)) return QLineEdit::event(event);
  // Any other key is the read's: Tab would move the focus and Esc close something before it
  // reached the field.
  event->accept();
  if (event->type() == QEvent::KeyPress && !IsModifier(key.key())) TakeKey(key);
  return true;
}

void KeyField::TakeKey(const QKeyEvent& event) {
  const std::optional<bool> caps_lock = CapsLockOf(event);
  const QString name = EndingNameOf(event);
  if (TypesCharacter(event)) {
    for (const QChar c : event.text()) emit KeyTyped({QString(c), name, caps_lock});
    return;
  }
  if (!name.isEmpty()) {
    emit KeyTyped({name, name, caps_lock});
    return;
  }
  // Any other key, a control character's included, shows by its name with the modifiers held.
  const Qt::KeyboardModifiers held = event.modifiers() & ~Qt::KeypadModifier;
  emit KeyTyped({QStringLiteral("<") +
                     QKeySequence(QKeyCombination(held, Qt::Key(event.key())))
                         .toString(QKeySequence::PortableText) +
                     QStringLiteral(">"),
                 QString(), caps_lock});
}

void KeyField::keyReleaseEvent(QKeyEvent* event) { event->accept(); }

}  // namespace kx12r
