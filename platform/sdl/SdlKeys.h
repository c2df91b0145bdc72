#pragma once
// Physical keys and controller buttons to the virtual-key codes of shell/Key.h.

namespace platform {

// The virtual-key code of a keyboard scancode (SDL_Scancode) under modifier
// state `mod` (SDL_Keymod); 0 for a key without one. The keypad digits give
// their own codes with Num Lock on and the arrow codes with it off.
unsigned virtualKeyForScancode(int scancode, unsigned mod);

// What the window itself does with a key press.
enum class WindowCommand { None, ToggleFullscreen, Screenshot };

struct KeyRoute {
  WindowCommand command = WindowCommand::None;
  unsigned vk = 0;  // virtual-key code to set (press) or clear (release); 0: none
};

// Where one keyboard event goes. F11 and Alt+Enter (either Enter) toggle full
// screen and F12 takes a screenshot, once per press; F11 and F12 never reach
// the key state. System keys never set a bit: F10, and any key pressed while
// Alt is held. A release always clears its bit, so a key pressed before Alt
// went down is not left held.
KeyRoute routeKeyEvent(int scancode, unsigned mod, bool down, bool repeat);

// The virtual-key code of a controller button (SDL_GameControllerButton); 0 for none.
unsigned virtualKeyForButton(int button);

}  // namespace platform
