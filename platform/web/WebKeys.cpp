#include "platform/web/WebKeys.h"

#include "platform/VirtualKeys.h"

namespace platform {

unsigned virtualKeyForBrowserKey(const std::string& code, const std::string& key, bool alt, bool ctrl, bool meta) {
  if (alt || ctrl || meta) return 0;
  // The keypad digits give their own codes with Num Lock on (they type a
  // digit) and the arrow codes with it off.
  const bool digit = key.size() == 1 && key[0] >= '0' && key[0] <= '9';
  if (code == "ArrowUp") return VK_UP;
  if (code == "ArrowDown") return VK_DOWN;
  if (code == "ArrowLeft") return VK_LEFT;
  if (code == "ArrowRight") return VK_RIGHT;
  if (code == "Numpad8") return digit ? VK_NUMPAD8 : VK_UP;
  if (code == "Numpad2") return digit ? VK_NUMPAD2 : VK_DOWN;
  if (code == "Numpad6") return digit ? VK_NUMPAD6 : VK_RIGHT;
  if (code == "Numpad4") return digit ? VK_NUMPAD4 : VK_LEFT;
  if (code == "Enter" || code == "NumpadEnter") return VK_RETURN;
  if (code == "Space") return VK_SPACE;
  if (code == "Escape") return VK_ESCAPE;
  return 0;
}

}  // namespace platform
