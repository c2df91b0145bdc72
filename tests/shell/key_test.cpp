#include <gtest/gtest.h>

#include "shell/Key.h"

namespace {

// A scene step as every scene runs it: update the word, then look at edges.
struct Scene {
  int key = 0;
  bool step(int bit) { return newlyPressed(keyEdge(key), bit); }
};

TEST(Key, VirtualKeysDriveTheirBits) {
  KeyReset();
  const struct { unsigned vk; int bit; } table[] = {
      {VK_UP, KEY_UP},       {VK_NUMPAD8, KEY_UP},       {VK_DOWN, KEY_DOWN},   {VK_NUMPAD2, KEY_DOWN},
      {VK_RIGHT, KEY_RIGHT}, {VK_NUMPAD6, KEY_RIGHT},    {VK_LEFT, KEY_LEFT},   {VK_NUMPAD4, KEY_LEFT},
      {VK_RETURN, KEY_DECIDE}, {VK_SPACE, KEY_DECIDE},   {VK_ESCAPE, KEY_ESCAPE},
  };
  for (const auto& e : table) {
    keyAction(e.vk, 1);
    EXPECT_EQ(KeyStatus(), e.bit) << e.vk;
    keyAction(e.vk, 0);
    EXPECT_EQ(KeyStatus(), 0) << e.vk;
  }
  keyAction('A', 1);
  keyAction(0x70 /* F1 */, 1);
  EXPECT_EQ(KeyStatus(), 0);
}

TEST(Key, OnePressIsNewExactlyOnceHoweverLongHeld) {
  KeyReset();
  Scene s;
  EXPECT_FALSE(s.step(KEY_DECIDE));
  keyAction(VK_RETURN, 1);
  EXPECT_TRUE(s.step(KEY_DECIDE));
  keyAction(VK_RETURN, 1);  // auto-repeat
  EXPECT_FALSE(s.step(KEY_DECIDE));
  EXPECT_FALSE(s.step(KEY_DECIDE));
  keyAction(VK_RETURN, 0);
  EXPECT_FALSE(s.step(KEY_DECIDE));
  keyAction(VK_RETURN, 1);
  EXPECT_TRUE(s.step(KEY_DECIDE));
  KeyReset();
}

TEST(Key, EnterAndSpaceShareTheDecideBit) {
  KeyReset();
  Scene s;
  keyAction(VK_RETURN, 1);
  keyAction(VK_SPACE, 1);
  EXPECT_TRUE(s.step(KEY_DECIDE));
  keyAction(VK_SPACE, 0);  // clears the bit although Enter is still down
  EXPECT_EQ(KeyStatus() & KEY_DECIDE, 0);
  EXPECT_FALSE(s.step(KEY_DECIDE));
  keyAction(VK_RETURN, 1);  // Enter's next auto-repeat: a new press
  EXPECT_TRUE(s.step(KEY_DECIDE));
  KeyReset();
}

TEST(Key, EdgesAreConsumedPerWordAndHeldKeysCountAtAWordsFirstUse) {
  KeyReset();
  Scene a, b;
  keyAction(VK_UP, 1);
  keyAction(VK_DOWN, 1);
  int k = keyEdge(a.key);
  EXPECT_TRUE(newlyPressed(k, KEY_UP));
  EXPECT_TRUE(newlyPressed(k, KEY_DOWN));
  // The edge is consumed by the step that saw it, whether it looked or not.
  EXPECT_FALSE(a.step(KEY_UP));
  // Another scene's word starts at 0: a key already held counts as new there.
  EXPECT_TRUE(b.step(KEY_UP));
  // A press and release between two steps is not seen.
  keyAction(VK_RETURN, 1);
  keyAction(VK_RETURN, 0);
  EXPECT_FALSE(a.step(KEY_DECIDE));
  KeyReset();
}

TEST(Key, ReleaseShowsAsAChangeButNotAPress) {
  KeyReset();
  Scene s;
  keyAction(VK_ESCAPE, 1);
  s.step(KEY_ESCAPE);
  keyAction(VK_ESCAPE, 0);
  int k = keyEdge(s.key);
  EXPECT_EQ((static_cast<unsigned>(k) >> 16) & KEY_ESCAPE, static_cast<unsigned>(KEY_ESCAPE));
  EXPECT_FALSE(newlyPressed(k, KEY_ESCAPE));
}

}  // namespace
