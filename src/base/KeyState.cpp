// The key whose press is being handled, for selection handlers.
#include "base/KeyState.h"

namespace kx12r {
namespace {

int key_down = 0;

}  // namespace

bool KeyIsDown(int key) { return key != 0 && key == key_down; }

KeyPressScope::KeyPressScope(int key) : previous_(key_down) { key_down = key; }

KeyPressScope::~KeyPressScope() { key_down = previous_; }

}  // namespace kx12r
