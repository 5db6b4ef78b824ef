#pragma once

#include <QLineEdit>
#include <optional>

namespace kx12r {

// A key as the card test receives it.
struct TypedKey {
  QString shown;  // the character it typed, or "<Name>" for a key that types none
  QString name;  // the key's name when it has one ("<Enter>", "<Space>"): how it shows as an ending
  std::optional<bool> caps_lock;  // the keyboard's Caps Lock, where the window system tells it
};

// A one-line field that takes every key a reader can type as a key of the read: Tab, Enter, Esc
// and Backspace too, never as a move of the focus or an edit. The keys no reader types keep
// their meaning in the window (Ctrl+Tab, Ctrl+PgUp/PgDn, Shift+Tab, F6, Alt with a key, Ctrl+C).
// It shows the end of what has arrived of the read in hand.
class KeyField : public QLineEdit {
  Q_OBJECT

 public:
  explicit KeyField(QWidget* parent = nullptr);

  // Whether a reader can type this key: a character, or a key a message may end with.
  static bool IsReaderKey(const QKeyEvent& event);

  // What has arrived of the read in hand; the field shows its end.
  void ShowPending(const QString& pending);

 signals:
  void KeyTyped(const kx12r::TypedKey& key);

 protected:
  bool event(QEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  // Whether the key keeps its meaning in the window rather than becoming part of a read.
  static bool IsWindowKey(const QKeyEvent& event);
  void TakeKey(const QKeyEvent& event);
};

}  // namespace kx12r
