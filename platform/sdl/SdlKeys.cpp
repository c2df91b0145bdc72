#include "platform/sdl/SdlKeys.h"

#include <SDL.h>

#include "platform/VirtualKeys.h"

namespace platform {

unsigned virtualKeyForScancode(int scancode, unsigned mod) {
  const bool numLock = (mod & KMOD_NUM) != 0;
  switch (scancode) {
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_KP_8: return numLock ? VK_NUMPAD8 : VK_UP;
    case SDL_SCANCODE_KP_2: return numLock ? VK_NUMPAD2 : VK_DOWN;
    case SDL_SCANCODE_KP_6: return numLock ? VK_NUMPAD6 : VK_RIGHT;
    case SDL_SCANCODE_KP_4: return numLock ? VK_NUMPAD4 : VK_LEFT;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_RETURN2:
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    // Keys of the player's own layer (menus, saves, skip); they carry no bit.
    case SDL_SCANCODE_F5: return VK_F5;
    case SDL_SCANCODE_F9: return VK_F9;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_A: return VK_A;
    case SDL_SCANCODE_M: return VK_M;
    default: return 0;
  }
}

KeyRoute routeKeyEvent(int scancode, unsigned mod, bool down, bool repeat) {
  KeyRoute route;
  const bool alt = (mod & KMOD_ALT) != 0;
  const bool enter = scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER;
  const bool press = down && !repeat;
  if (scancode == SDL_SCANCODE_F11 || scancode == SDL_SCANCODE_F12) {
    if (press) route.command = scancode == SDL_SCANCODE_F11 ? WindowCommand::ToggleFullscreen : WindowCommand::Screenshot;
    return route;
  }
  if (enter && alt && press) route.command = WindowCommand::ToggleFullscreen;
  if (down && (alt || scancode == SDL_SCANCODE_F10)) return route;
  route.vk = virtualKeyForScancode(scancode, mod);
  return route;
}

unsigned virtualKeyForButton(int button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return VK_UP;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return VK_DOWN;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return VK_LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return VK_RIGHT;
    case SDL_CONTROLLER_BUTTON_A: return VK_RETURN;
    case SDL_CONTROLLER_BUTTON_B:
    case SDL_CONTROLLER_BUTTON_START: return VK_ESCAPE;
    default: return 0;
  }
}

}  // namespace platform
