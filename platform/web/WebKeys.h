#pragma once
// Browser keyboard events to the virtual-key codes of shell/Key.h.
#include <string>

namespace platform {

// The virtual-key code of a key from a browser KeyboardEvent: `code` names the
// physical key ("ArrowUp", "Numpad8", "Enter"), `key` is what it typed ("8" on
// the keypad with Num Lock on). 0 for a key without one, and for any key
// pressed with Alt, Ctrl or Meta (those belong to the browser).
unsigned virtualKeyForBrowserKey(const std::string& code, const std::string& key, bool alt, bool ctrl, bool meta);

}  // namespace platform
