#include "platform/sdl/SdlNotice.h"

#include <SDL.h>

#include "platform/Notice.h"

namespace platform {

namespace {

SDL_Window* g_parent = nullptr;

// Blocks until dismissed; when no box can be shown the stderr line stands alone.
void sdlNoticeBox(const char* caption, const char* text) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption ? caption : "", text ? text : "", g_parent);
}

}  // namespace

void installSdlNoticeBox(SDL_Window* parent) {
  g_parent = parent;
  setNoticeBox(parent ? sdlNoticeBox : nullptr);
}

}  // namespace platform
