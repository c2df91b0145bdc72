#pragma once
// Physical keys and controller buttons to the virtual-key codes of shell/Key.h.

namespace platform {

// The virtual-key code of a keyboard scancode (SDL_Scancode) under modifier
// state `mod` (SDL_Keymod); 0 for a key without one. The keypad digits give
// their own codes with Num Lock on and the arrow codes with it off.
unsigned virtualKeyForScancode(int scancode, unsigned mod);

// The virtual-key code of a controller button (SDL_GameControllerButton); 0 for none.
unsigned virtualKeyForButton(int button);

}  // namespace platform
