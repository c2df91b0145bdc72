#pragma once
// The player's SDL window: a 320 x 240 logical client area scaled by whole
// numbers, keyboard and game controller input, full screen toggle (F11,
// Alt+Enter), screenshots (F12), the notice box and the audio output.
#include <memory>
#include <string>

#include "platform/Host.h"

namespace platform {

// Opens the window and installs its presenter, notice box and audio back
// end for the host's lifetime; null with a reason in `error` on failure.
std::unique_ptr<platform::Host> openSdlHost(const platform::HostSettings& settings, std::string& error);

// The default window scale: the largest whole scale whose 320 x 240 window
// fits in half the desktop's width and height, from 1 to 8.
int defaultWindowScale(int desktopWidth, int desktopHeight);

}  // namespace platform
