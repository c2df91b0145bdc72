#pragma once
// The calls between the player and its page (page/lmplayer-page.js).
#include <cstdint>

namespace platform::page {

// Whether the page asked for virtual time.
bool virtualTime();
// Whether the page has the canvas "#screen".
bool hasScreen();
// Shows top-down RGBA pixels on the canvas.
void present(const unsigned char* rgba, int width, int height);
// Shows the notice in the page (not modal).
void notice(const char* caption, const char* text);
// One animation frame took `ms` of the main thread.
void frameDone(double ms);
// The frame loop has quit.
void ended();
// Files under the player's settings and saves folders were written: the page
// copies them to the browser's lasting storage.
void filesWritten();
// The page is being hidden or left: `handler` runs (the page may not come back).
void onLeaving(void (*handler)());

}  // namespace platform::page
