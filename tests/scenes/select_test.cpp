#include "scenes/Select.h"

#include "SceneFixture.h"

namespace lmtest {
namespace {

using SelectTest = SceneTest;

// Steps a fresh select screen to its 128th step: the last one of the fade-in.
void toWaiting(Select& s) {
  for (int step = 1; step <= 128; ++step) ASSERT_EQ(s.main(nullptr), 0);
}

TEST_F(SelectTest, FadesInFromWhiteOver127StepsThenWaits) {
  Select s;
  EXPECT_EQ(openCheck(), 0);
  ASSERT_EQ(s.main(nullptr), 0);
  EXPECT_EQ(openCheck(), 1);
  EXPECT_EQ(s.fade, 254);
  EXPECT_EQ(s.scroll, 1);
  for (int step = 2; step <= 127; ++step) s.main(nullptr);
  EXPECT_EQ(s.fade, 128);
  EXPECT_EQ(s.phase, 0);
  s.main(nullptr);  // step 128
  EXPECT_EQ(s.phase, 1);
  EXPECT_EQ(s.fade, 128);
}

TEST_F(SelectTest, KeysAreAcceptedFromThe129thStep) {
  Select early;
  for (int step = 1; step <= 127; ++step) early.main(nullptr);
  press(VK_RETURN);
  early.main(nullptr);  // step 128: still fading in, the press is lost
  EXPECT_EQ(early.phase, 1);
  early.main(nullptr);  // held: not a new press
  EXPECT_EQ(early.phase, 1);
  EXPECT_TRUE(playedSounds().empty());
  release(VK_RETURN);

  Select::resetStatics();
  Select s;
  toWaiting(s);
  press(VK_RETURN);
  s.main(nullptr);  // step 129
  EXPECT_EQ(s.phase, 2);
  EXPECT_EQ(playedSounds(), std::vector<int>{SE_DECIDE});

  // 64 steps of two levels down to black, finished on the following step.
  for (int i = 0; i < 64; ++i) ASSERT_EQ(s.main(nullptr), 0);
  EXPECT_EQ(s.fade, 0);
  EXPECT_EQ(s.main(nullptr), 1);
}

TEST_F(SelectTest, UpAndDownTogetherPlayOneCursorSound) {
  Select s;
  toWaiting(s);
  press(VK_UP);
  press(VK_DOWN);
  s.main(nullptr);
  EXPECT_EQ(playedSounds(), std::vector<int>{SE_CURSOR});
  s.main(nullptr);  // still held: no new press
  EXPECT_EQ(playedSounds().size(), 1u);
  release(VK_UP);
  s.main(nullptr);
  press(VK_NUMPAD8);
  s.main(nullptr);
  EXPECT_EQ(playedSounds(), (std::vector<int>{SE_CURSOR, SE_CURSOR}));
  EXPECT_EQ(s.phase, 1) << "no selection state";
}

TEST_F(SelectTest, DecideWinsOverCursorInOneStep) {
  Select s;
  toWaiting(s);
  press(VK_UP);
  press(VK_RETURN);
  s.main(nullptr);
  EXPECT_EQ(playedSounds(), std::vector<int>{SE_DECIDE});
  EXPECT_EQ(s.phase, 2);
}

TEST_F(SelectTest, ScrollWrapsAndTheForegroundMasksTheBackground) {
  Select s;
  toWaiting(s);
  EXPECT_EQ(s.scroll, 128);
  while (s.scroll != 255) s.main(nullptr);
  s.main(nullptr);
  EXPECT_EQ(s.scroll, 0);
  s.main(nullptr);
  EXPECT_EQ(s.scroll, 1);

  s.draw(&zeg);
  // Background row (1 + y) mod 256: red above row 128, blue below.
  Rgb top = pixelAt(zeg, 5, 0);
  EXPECT_EQ(top.r, 248);
  EXPECT_EQ(top.b, 0);
  Rgb mid = pixelAt(zeg, 5, 119);  // background row 120: red, foreground transparent
  EXPECT_EQ(mid.r, 248);
  Rgb low = pixelAt(zeg, 5, 200);  // opaque black foreground
  EXPECT_EQ(low.r, 0);
  EXPECT_EQ(low.g, 0);
  EXPECT_EQ(low.b, 0);
  s.scroll = 200;
  s.draw(&zeg);
  Rgb shifted = pixelAt(zeg, 5, 0);  // background row 200: blue
  EXPECT_EQ(shifted.b, 248);
  EXPECT_EQ(shifted.r, 0);
}

}  // namespace
}  // namespace lmtest
