#pragma once
// Mouse and touch events (SDL_Event; touches arrive as mouse events) to the
// player's pointer events in the 320 x 240 frame.
#include "platform/Host.h"

union SDL_Event;

namespace platform {

// The renderer gives positions in frame coordinates; one on the letterbox or
// beyond the window is clamped to the frame's edge. The wheel carries no
// position: it is reported at the last one seen (kept in lastX, lastY).
// False for an event that is not a pointer event the player reads.
bool pointerForEvent(const SDL_Event& e, int& lastX, int& lastY, platform::PointerEvent& out);

}  // namespace platform
