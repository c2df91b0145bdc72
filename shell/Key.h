#pragma once
// Program-wide key state: six logical key bits driven by virtual-key codes.
#include "platform/VirtualKeys.h"

enum KeyBit {
  KEY_UP = 0x01,
  KEY_DOWN = 0x02,
  KEY_RIGHT = 0x04,
  KEY_LEFT = 0x08,
  KEY_DECIDE = 0x10,
  KEY_ESCAPE = 0x20,
};

void KeyReset();
void KeyDown(int key);
void KeyUp(int key);
int KeyStatus();
// Sets (mode != 0) or clears (mode 0) the bit of virtual-key code wParam; other codes are ignored.
void keyAction(unsigned wParam, int mode);

// The key-edge idiom every scene's main runs first, on its own function-static
// word: afterwards the low 16 bits are the keys down now, the high 16 bits the
// keys that changed since that word's previous update.
inline int keyEdge(int& key) {
  unsigned s = static_cast<unsigned>(KeyStatus());
  unsigned k = static_cast<unsigned>(key);
  k = ((k ^ s) << 16) | s;
  key = static_cast<int>(k);
  return key;
}

// Down now and up at the previous update of the same word.
inline bool newlyPressed(int key, int bit) {
  unsigned k = static_cast<unsigned>(key);
  return (k & static_cast<unsigned>(bit)) && ((k >> 16) & static_cast<unsigned>(bit));
}
