#include "platform/sdl/SdlPointer.h"

#include <SDL.h>

#include <algorithm>

namespace platform {

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

}  // namespace

bool pointerForEvent(const SDL_Event& e, int& lastX, int& lastY, platform::PointerEvent& out) {
  using platform::PointerEvent;
  auto at = [&](int x, int y) {
    lastX = std::clamp(x, 0, kWidth - 1);
    lastY = std::clamp(y, 0, kHeight - 1);
  };
  switch (e.type) {
    case SDL_MOUSEMOTION:
      at(e.motion.x, e.motion.y);
      out.kind = platform::PointerEvent::Move;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const bool down = e.type == SDL_MOUSEBUTTONDOWN;
      if (e.button.button == SDL_BUTTON_LEFT) out.kind = down ? platform::PointerEvent::LeftDown : platform::PointerEvent::LeftUp;
      else if (e.button.button == SDL_BUTTON_RIGHT) out.kind = down ? platform::PointerEvent::RightDown : platform::PointerEvent::RightUp;
      else return false;
      at(e.button.x, e.button.y);
      break;
    }
    case SDL_MOUSEWHEEL: {
      int y = e.wheel.y;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
      if (y == 0) return false;
      out.kind = y > 0 ? platform::PointerEvent::WheelUp : platform::PointerEvent::WheelDown;
      break;
    }
    default:
      return false;
  }
  out.x = lastX;
  out.y = lastY;
  return true;
}

}  // namespace platform
