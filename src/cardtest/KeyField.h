#pragma once

#include <QLineEdit>

namespace kx12r {

// A one-line field that takes every key a reader types as a key of the read: Tab, Enter, Esc
// and Backspace too, never as a move of the focus, an edit or a command of the window. It shows
// what has arrived of the read in hand.
class KeyField : public QLineEdit {
  Q_OBJECT

 public:
  explicit KeyField(QWidget* parent = nullptr);

 signals:
  // `shown`: the character the key typed, or "<Name>" for a key that types none; `name`: the
  // key's name when it has one ("<Enter>", "<Space>"), which is how it shows as an ending.
  void KeyTyped(const QString& shown, const QString& name);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
};

}  // namespace kx12r
