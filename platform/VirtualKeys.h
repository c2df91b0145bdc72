#pragma once
// The key codes every window back end delivers: Windows virtual-key codes.

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
