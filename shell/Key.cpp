#include "shell/Key.h"

static int status = 0;

void KeyReset() { status = 0; }
void KeyDown(int key) { status |= key; }
void KeyUp(int key) { status &= ~key; }
int KeyStatus() { return status; }

void keyAction(unsigned wParam, int mode) {
  int bit;
  switch (wParam) {
    case VK_UP:
    case VK_NUMPAD8: bit = KEY_UP; break;
    case VK_DOWN:
    case VK_NUMPAD2: bit = KEY_DOWN; break;
    case VK_RIGHT:
    case VK_NUMPAD6: bit = KEY_RIGHT; break;
    case VK_LEFT:
    case VK_NUMPAD4: bit = KEY_LEFT; break;
    case VK_RETURN:
    case VK_SPACE: bit = KEY_DECIDE; break;
    case VK_ESCAPE: bit = KEY_ESCAPE; break;
    default: return;
  }
  if (mode) KeyDown(bit);
  else KeyUp(bit);
}
