// The browser page's input, without a browser: keys by their KeyboardEvent
// names, touch gestures as held key presses, and canvas points in frame pixels.
#include <gtest/gtest.h>

#include "platform/web/FrameView.h"
#include "platform/web/TouchKeys.h"
#include "platform/web/WebKeys.h"
#include "shell/Key.h"

namespace {

using platform::KeyChange;
using platform::TouchKeys;
using platform::virtualKeyForBrowserKey;

unsigned vk(const char* code, const char* key = "") { return virtualKeyForBrowserKey(code, key, false, false, false); }

TEST(WebKeys, TheSameKeysDriveTheSameCodesAsOnTheDesktop) {
  EXPECT_EQ(vk("ArrowUp", "ArrowUp"), VK_UP);
  EXPECT_EQ(vk("ArrowDown", "ArrowDown"), VK_DOWN);
  EXPECT_EQ(vk("ArrowLeft", "ArrowLeft"), VK_LEFT);
  EXPECT_EQ(vk("ArrowRight", "ArrowRight"), VK_RIGHT);
  EXPECT_EQ(vk("Enter", "Enter"), VK_RETURN);
  EXPECT_EQ(vk("NumpadEnter", "Enter"), VK_RETURN);
  EXPECT_EQ(vk("Space", " "), VK_SPACE);
  EXPECT_EQ(vk("Escape", "Escape"), VK_ESCAPE);
}

TEST(WebKeys, KeypadDigitsFollowNumLock) {
  // With Num Lock on the keypad types digits and has codes of its own.
  EXPECT_EQ(vk("Numpad8", "8"), VK_NUMPAD8);
  EXPECT_EQ(vk("Numpad2", "2"), VK_NUMPAD2);
  EXPECT_EQ(vk("Numpad6", "6"), VK_NUMPAD6);
  EXPECT_EQ(vk("Numpad4", "4"), VK_NUMPAD4);
  // Off, it sends the cursor keys.
  EXPECT_EQ(vk("Numpad8", "ArrowUp"), VK_UP);
  EXPECT_EQ(vk("Numpad2", "ArrowDown"), VK_DOWN);
  EXPECT_EQ(vk("Numpad6", "ArrowRight"), VK_RIGHT);
  EXPECT_EQ(vk("Numpad4", "ArrowLeft"), VK_LEFT);
}

TEST(WebKeys, OtherKeysAndModifiedKeysStayTheBrowsers) {
  EXPECT_EQ(vk("KeyA", "a"), 0u);
  EXPECT_EQ(vk("F11", "F11"), 0u);
  EXPECT_EQ(vk("F10", "F10"), 0u);
  EXPECT_EQ(vk("Numpad5", "5"), 0u);
  EXPECT_EQ(vk("", ""), 0u);
  EXPECT_EQ(virtualKeyForBrowserKey("Enter", "Enter", true, false, false), 0u) << "Alt+Enter";
  EXPECT_EQ(virtualKeyForBrowserKey("ArrowDown", "ArrowDown", false, true, false), 0u) << "Ctrl+Down";
  EXPECT_EQ(virtualKeyForBrowserKey("Space", " ", false, false, true), 0u) << "Meta+Space";
}

std::vector<KeyChange> poll(TouchKeys& t, uint32_t ms) {
  std::vector<KeyChange> out;
  t.poll(ms, out);
  return out;
}

bool same(const std::vector<KeyChange>& got, const std::vector<KeyChange>& want) {
  if (got.size() != want.size()) return false;
  for (size_t i = 0; i < got.size(); ++i)
    if (got[i].vk != want[i].vk || got[i].down != want[i].down) return false;
  return true;
}

TEST(TouchKeys, ATapDecidesAndIsHeldLongEnoughForAStep) {
  TouchKeys t;
  t.start(7, 100, 100, 1000);
  EXPECT_TRUE(poll(t, 1005).empty()) << "nothing before the finger lifts";
  t.end(7, 104, 97, 1010);  // moved a little: still a tap
  EXPECT_TRUE(same(poll(t, 1010), {{VK_RETURN, true}}));
  EXPECT_TRUE(poll(t, 1010 + TouchKeys::kHoldMs - 1).empty());
  EXPECT_GE(TouchKeys::kHoldMs, 32u) << "two 16 ms steps see the press";
  EXPECT_TRUE(same(poll(t, 1010 + TouchKeys::kHoldMs), {{VK_RETURN, false}}));
  EXPECT_TRUE(poll(t, 5000).empty());
}

TEST(TouchKeys, ALongPressIsEscapeAShorterOneATap) {
  TouchKeys t;
  const uint32_t l = TouchKeys::kLongPressMs;
  t.start(1, 100, 100, 1000);
  t.end(1, 103, 100, 1000 + l);  // held in place: the menu
  EXPECT_TRUE(same(poll(t, 1000 + l), {{VK_ESCAPE, true}}));
  EXPECT_TRUE(same(poll(t, 5000), {{VK_ESCAPE, false}}));
  t.start(2, 100, 100, 6000);
  t.end(2, 100, 100, 6000 + l - 1);  // just short of it
  EXPECT_TRUE(same(poll(t, 9000), {{VK_RETURN, true}, {VK_RETURN, false}}));
  t.start(3, 100, 200, 10000);
  t.end(3, 100, 100, 10000 + 3 * l);  // a slow swipe is still a swipe
  EXPECT_TRUE(same(poll(t, 20000), {{VK_UP, true}, {VK_UP, false}}));
}

TEST(TouchKeys, SwipesUpAndDownMoveTheCursorSidewaysNothing) {
  TouchKeys t;
  t.start(1, 160, 200, 0);
  t.end(1, 150, 120, 100);  // mostly up
  EXPECT_TRUE(same(poll(t, 100), {{VK_UP, true}}));
  EXPECT_TRUE(same(poll(t, 1000), {{VK_UP, false}}));
  t.start(2, 160, 50, 2000);
  t.end(2, 170, 90, 2100);  // mostly down
  EXPECT_TRUE(same(poll(t, 3000), {{VK_DOWN, true}, {VK_DOWN, false}}));
  t.start(3, 20, 100, 4000);
  t.end(3, 200, 110, 4100);  // sideways
  EXPECT_TRUE(poll(t, 5000).empty());
}

TEST(TouchKeys, OnlyTheFirstFingerCountsAndACancelledTouchIsNoGesture) {
  TouchKeys t;
  t.start(1, 100, 100, 0);
  t.start(2, 10, 10, 5);
  t.end(2, 10, 10, 10);  // the second finger: ignored
  EXPECT_TRUE(poll(t, 20).empty());
  t.end(1, 100, 30, 30);  // the first one swiped up
  EXPECT_TRUE(same(poll(t, 30), {{VK_UP, true}}));
  poll(t, 1000);
  t.start(4, 100, 100, 2000);
  t.cancel(4);
  t.end(4, 100, 100, 2010);
  EXPECT_TRUE(poll(t, 3000).empty());
}

TEST(TouchKeys, QuickTapsStayApartSoNoneIsLost) {
  TouchKeys t;
  t.start(1, 50, 50, 0);
  t.end(1, 50, 50, 0);
  t.start(2, 50, 50, 10);
  t.end(2, 50, 50, 20);  // while the first press is still held
  const uint32_t h = TouchKeys::kHoldMs;
  EXPECT_TRUE(same(poll(t, 0), {{VK_RETURN, true}}));
  EXPECT_TRUE(same(poll(t, h), {{VK_RETURN, false}}));
  EXPECT_TRUE(poll(t, 2 * h - 1).empty()) << "released for a whole hold before the next press";
  EXPECT_TRUE(same(poll(t, 2 * h), {{VK_RETURN, true}}));
  EXPECT_TRUE(same(poll(t, 3 * h), {{VK_RETURN, false}}));
}

TEST(FrameView, CanvasPixelsAreTheFrameTopDownWithOpaqueAlpha) {
  // 3 x 2 frame stored bottom-up with a padded stride of 12 bytes.
  const unsigned char stored[24] = {
      // bottom row: (b, g, r) per pixel, then 3 padding bytes
      1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE,
      // top row
      10, 20, 30, 40, 50, 60, 70, 80, 90, 0xEE, 0xEE, 0xEE};
  platform::Frame frame{stored, 3, 2, 12};
  std::vector<unsigned char> rgba;
  platform::frameToRgba(frame, rgba);
  const std::vector<unsigned char> want = {30, 20, 10, 255, 60, 50, 40, 255, 90, 80, 70, 255,
                                           3,  2,  1,  255, 6,  5,  4,  255, 9,  8,  7,  255};
  EXPECT_EQ(rgba, want);
  // The same pixels as the PNG shots take.
  std::vector<unsigned char> rgb = platform::frameToRgb(frame);
  for (size_t i = 0; i < 6; ++i)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(rgba[i * 4 + c], rgb[i * 3 + c]);
}

TEST(FrameView, PointsOnTheScaledCanvasLandOnFramePixels) {
  using K = platform::PointerEvent;
  auto at = [](double x, double y) { return platform::framePoint(K::LeftDown, x, y, 960, 720, 320, 240); };
  EXPECT_EQ(at(0, 0).x, 0);
  EXPECT_EQ(at(2.9, 2.9).y, 0);
  EXPECT_EQ(at(3, 3).x, 1);
  EXPECT_EQ(at(480, 360).x, 160);
  EXPECT_EQ(at(480, 360).y, 120);
  EXPECT_EQ(at(959.9, 719.9).x, 319);
  EXPECT_EQ(at(959.9, 719.9).y, 239);
  EXPECT_EQ(at(-20, 800).x, 0) << "clamped to the frame";
  EXPECT_EQ(at(-20, 800).y, 239);
  EXPECT_EQ(at(5000, -1).x, 319);
  EXPECT_EQ(at(10, 10).kind, K::LeftDown);
  const K none = platform::framePoint(K::Move, 10, 10, 0, 0, 320, 240);
  EXPECT_EQ(none.x, 0);
  EXPECT_EQ(none.y, 0);
}

}  // namespace
