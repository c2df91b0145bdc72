#pragma once
// Program-wide key state: six logical key bits driven by virtual-key codes.

enum KeyBit {
  KEY_UP = 0x01,
  KEY_DOWN = 0x02,
  KEY_RIGHT = 0x04,
  KEY_LEFT = 0x08,
  KEY_DECIDE = 0x10,
  KEY_ESCAPE = 0x20,
};

// Windows virtual-key codes that carry a key bit.
enum VirtualKey : unsigned {
  VK_RETURN = 0x0D,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_NUMPAD2 = 0x62,
  VK_NUMPAD4 = 0x64,
  VK_NUMPAD6 = 0x66,
  VK_NUMPAD8 = 0x68,
};

// Keys without a bit: keyAction ignores them; the player's own layer (menu,
// saves, rollback, backlog, skip, auto, mute) reads them before the key state.
enum ComfortKey : unsigned {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_CONTROL = 0x11,
  VK_PRIOR = 0x21,  // Page Up
  VK_NEXT = 0x22,   // Page Down
  VK_A = 0x41,
  VK_M = 0x4D,
  VK_F5 = 0x74,
  VK_F9 = 0x78,
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
