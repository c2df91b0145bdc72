#pragma once
// The chart error's modal box as an SDL message box.
struct SDL_Window;

namespace platform {

// Installs the box (one button, over `parent`) as the notice box; null parent uninstalls it.
void installSdlNoticeBox(SDL_Window* parent);

}  // namespace platform
