#include "scenes/Title.h"

#include "SceneFixture.h"

namespace lmtest {
namespace {

using TitleTest = SceneTest;

TEST_F(TitleTest, TimesOutExactly1066StepsAfterLoading) {
  Title t;
  ASSERT_EQ(t.main(nullptr), 0);  // load step
  EXPECT_EQ(openCheck(), 1);
  for (int step = 1; step <= 1065; ++step) {
    ASSERT_EQ(t.main(nullptr), 0) << "step " << step;
    if (step == 64) {
      EXPECT_EQ(t.fade, 64);
    }
    if (step == 1000) {
      EXPECT_EQ(t.phase, 0);
    }
    if (step == 1001) {
      EXPECT_EQ(t.phase, 2);
      EXPECT_EQ(t.fade, 64);
    }
  }
  EXPECT_EQ(t.fade, 0);
  EXPECT_EQ(t.main(nullptr), 2);
  EXPECT_FALSE(t.pf);
  EXPECT_TRUE(playedSounds().empty());
}

TEST_F(TitleTest, DecideOnFirstStepPlaysDecideAndFadesToWhite) {
  Title t;
  t.main(nullptr);
  press(VK_RETURN);
  ASSERT_EQ(t.main(nullptr), 0);
  release(VK_RETURN);
  EXPECT_EQ(t.phase, 1);
  EXPECT_EQ(t.fade, 1);
  EXPECT_EQ(playedSounds(), std::vector<int>{SE_DECIDE});

  int maxLevel = 0;
  int steps = 0;
  int r = 0;
  while ((r = t.main(nullptr)) == 0) {
    ++steps;
    ASSERT_LT(steps, 200);
    maxLevel = std::max(maxLevel, std::min(t.fade * 2, 255));
    if (t.fade == 127) {
      t.draw(&zeg);
      Rgb p = pixelAt(zeg, 0, 0);
      EXPECT_LT(p.r, 255);  // level 254
    }
  }
  EXPECT_EQ(r, 1);
  EXPECT_EQ(steps, 127);  // fade 2 .. 128
  EXPECT_EQ(maxLevel, 255);
  EXPECT_EQ(playedSounds().size(), 1u);
}

TEST_F(TitleTest, DrawnLevelClimbsToWhiteAndNoFurther) {
  Title t;
  t.main(nullptr);
  t.phase = 1;
  t.fade = 128;
  t.draw(&zeg);
  Rgb p = pixelAt(zeg, 100, 100);
  EXPECT_EQ(p.r, 255);
  EXPECT_EQ(p.g, 255);
  EXPECT_EQ(p.b, 255);
}

TEST_F(TitleTest, HeldDecideFromTheOpeningDoesNotCount) {
  press(VK_SPACE);
  Title t;
  t.main(nullptr);  // the load step consumes the edge
  for (int i = 0; i < 10; ++i) t.main(nullptr);
  EXPECT_EQ(t.phase, 0);
  EXPECT_TRUE(playedSounds().empty());
}

TEST_F(TitleTest, DecideOnTheTimeoutStepStillStarts) {
  Title t;
  t.main(nullptr);
  for (int step = 1; step <= 1000; ++step) t.main(nullptr);
  press(VK_RETURN);
  t.main(nullptr);  // step 1001: Decide and the timeout together
  EXPECT_EQ(t.phase, 1);
  EXPECT_EQ(playedSounds(), std::vector<int>{SE_DECIDE});
  int r = 0;
  for (int i = 0; i < 100 && r == 0; ++i) r = t.main(nullptr);
  EXPECT_EQ(r, 1);
}

}  // namespace
}  // namespace lmtest
