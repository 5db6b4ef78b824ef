// The key whose press is being handled, for selection handlers.
#include "base/KeyState.h"

#include <Qt>

namespace kx12r {
namespace {

int key_down = 0;

}  // namespace

bool KeyIsDown(int key) { return key != 0 && key == key_down; }

bool RowMoveKeyIsDown() {
  for (int key :
       {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home}) {
    if (KeyIsDown(key)) return true;
  }
  return false;
}

KeyPressScope::KeyPressScope(int key) : previous_(key_down) { key_down = key; }

KeyPressScope::~KeyPressScope() { key_down = previous_; }

}  // namespace kx12r
