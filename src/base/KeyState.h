#pragma once

namespace kx12r {

// Whether the key (a Qt::Key) is the one whose press is being handled right now: selection
// handlers use it to tell a keyboard move from a mouse click.
bool KeyIsDown(int key);

// Whether the key being handled moves a grid's current row up or down: the arrows, the page
// keys, End and Home.
bool RowMoveKeyIsDown();

// Marks a key as down for the lifetime of the scope, around the handling of its press.
class KeyPressScope {
 public:
  explicit KeyPressScope(int key);
  ~KeyPressScope();
  KeyPressScope(const KeyPressScope&) = delete;
  KeyPressScope& operator=(const KeyPressScope&) = delete;

 private:
  int previous_;
};

}  // namespace kx12r
