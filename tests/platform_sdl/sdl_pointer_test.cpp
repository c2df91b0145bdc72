// Mouse and touch events to the player's pointer events: frame coordinates
// clamped off the letterbox, buttons, and the wheel at the last position.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/sdl/SdlPointer.h"

using platform::PointerEvent;
using platform::pointerForEvent;

namespace {

SDL_Event motion(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  return e;
}

SDL_Event button(Uint32 type, Uint8 which, int x, int y) {
  SDL_Event e{};
  e.type = type;
  e.button.button = which;
  e.button.x = x;
  e.button.y = y;
  return e;
}

SDL_Event wheel(int y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL) {
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.y = y;
  e.wheel.direction = direction;
  return e;
}

}  // namespace

TEST(SdlPointer, PositionsOnTheLetterboxClampToTheFrameEdge) {
  int lx = 0, ly = 0;
  platform::PointerEvent p;
  ASSERT_TRUE(pointerForEvent(motion(-7, 120), lx, ly, p));
  EXPECT_EQ(p.kind, platform::PointerEvent::Move);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 120);
  ASSERT_TRUE(pointerForEvent(motion(400, 300), lx, ly, p));
  EXPECT_EQ(p.x, 319);
  EXPECT_EQ(p.y, 239);
  ASSERT_TRUE(pointerForEvent(motion(160, -1), lx, ly, p));
  EXPECT_EQ(p.x, 160);
  EXPECT_EQ(p.y, 0);
}

TEST(SdlPointer, LeftAndRightButtonsOthersIgnored) {
  int lx = 0, ly = 0;
  platform::PointerEvent p;
  ASSERT_TRUE(pointerForEvent(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20), lx, ly, p));
  EXPECT_EQ(p.kind, platform::PointerEvent::LeftDown);
  EXPECT_EQ(p.x, 10);
  ASSERT_TRUE(pointerForEvent(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 10, 20), lx, ly, p));
  EXPECT_EQ(p.kind, platform::PointerEvent::LeftUp);
  ASSERT_TRUE(pointerForEvent(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 500, 20), lx, ly, p));
  EXPECT_EQ(p.kind, platform::PointerEvent::RightDown);
  EXPECT_EQ(p.x, 319);
  EXPECT_FALSE(pointerForEvent(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 1), lx, ly, p));
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  EXPECT_FALSE(pointerForEvent(key, lx, ly, p));
}

TEST(SdlPointer, TheWheelIsReportedWhereThePointerLastWas) {
  int lx = 0, ly = 0;
  platform::PointerEvent p;
  pointerForEvent(motion(33, 44), lx, ly, p);
  ASSERT_TRUE(pointerForEvent(wheel(2), lx, ly, p));
  EXPECT_EQ(p.kind, platform::PointerEvent::WheelUp);
  EXPECT_EQ(p.x, 33);
  EXPECT_EQ(p.y, 44);
  ASSERT_TRUE(pointerForEvent(wheel(-1), lx, ly, p));
  EXPECT_EQ(p.kind, platform::PointerEvent::WheelDown);
  ASSERT_TRUE(pointerForEvent(wheel(1, SDL_MOUSEWHEEL_FLIPPED), lx, ly, p));
  EXPECT_EQ(p.kind, platform::PointerEvent::WheelDown);
  EXPECT_FALSE(pointerForEvent(wheel(0), lx, ly, p));
}
