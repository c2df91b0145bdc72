#include "scenes/Opening.h"

#include "SceneFixture.h"

namespace lmtest {
namespace {

using OpeningTest = SceneTest;

// Runs steps 1..n of the current logo (after its load), checking each returns 0.
void runSteps(Opening& o, int n) {
  for (int i = 0; i < n; ++i) ASSERT_EQ(o.main(), 0);
}

TEST_F(OpeningTest, FullTimelineOfBothLogos) {
  Opening o;
  EXPECT_EQ(openCheck(), 0) << "the constructor loads nothing";
  ASSERT_EQ(o.main(), 0);  // load step
  EXPECT_EQ(openCheck(), 1);
  ASSERT_TRUE(o.pf);
  EXPECT_EQ(o.fade, 0);

  for (int step = 1; step <= 64; ++step) {
    ASSERT_EQ(o.main(), 0);
    ASSERT_EQ(o.fade, step) << "fade-in at step " << step;
  }
  runSteps(o, 65);  // steps 65..129 hold
  EXPECT_EQ(o.fade, 64);
  for (int step = 130; step <= 192; ++step) {
    ASSERT_EQ(o.main(), 0);
    ASSERT_EQ(o.fade, 64 + step - 129);
  }
  EXPECT_EQ(o.fade, 127);
  EXPECT_EQ(o.phase, 0);
  EXPECT_EQ(openCheck(), 0);

  // Step 193: the second logo replaces the first at the near-white level.
  ASSERT_EQ(o.main(), 0);
  EXPECT_EQ(o.phase, 1);
  EXPECT_EQ(o.fade, 127);
  EXPECT_EQ(openCheck(), 1);
  o.draw(&zeg);
  Rgb p = pixelAt(zeg, 10, 10);
  EXPECT_GE(p.r, 240);  // level 254 of green (0, 248, 0): almost white
  EXPECT_GE(p.g, 240);
  EXPECT_GE(p.b, 240);

  for (int step = 1; step <= 63; ++step) {
    ASSERT_EQ(o.main(), 0);
    ASSERT_EQ(o.fade, 127 - step);
  }
  o.draw(&zeg);
  p = pixelAt(zeg, 319, 239);
  EXPECT_EQ(p.r, 0);
  EXPECT_EQ(p.g, 248);  // plain picture
  EXPECT_EQ(p.b, 0);
  runSteps(o, 66);  // steps 64..129 hold
  EXPECT_EQ(o.fade, 64);
  runSteps(o, 64);  // steps 130..193 fade to black
  EXPECT_EQ(o.fade, 0);
  EXPECT_EQ(o.main(), 1);  // step 194
  EXPECT_EQ(o.phase, 2);
  EXPECT_FALSE(o.pf);
}

TEST_F(OpeningTest, DecideOnStep64IsIgnoredOnStep65Skips) {
  Opening o;
  o.main();
  runSteps(o, 63);
  press(VK_RETURN);
  ASSERT_EQ(o.main(), 0);  // step 64: fade only just reached 64
  release(VK_RETURN);
  EXPECT_EQ(o.phase, 0);
  ASSERT_EQ(o.main(), 0);  // step 65 without a new press
  EXPECT_EQ(o.phase, 0);

  Opening::resetStatics();
  Opening second;
  second.main();
  runSteps(second, 64);
  press(VK_SPACE);
  ASSERT_EQ(second.main(), 0);  // step 65
  release(VK_SPACE);
  EXPECT_EQ(second.phase, 10);
  EXPECT_EQ(second.fade, 64);
  // Two drawn levels per step down to black, then finished on the next step.
  runSteps(second, 64);
  EXPECT_EQ(second.fade, 0);
  EXPECT_EQ(second.main(), 1);
  EXPECT_TRUE(playedSounds().empty()) << "the opening plays no sound";
}

TEST_F(OpeningTest, DecideDuringSecondLogoHoldSkips) {
  Opening o;
  o.main();
  runSteps(o, 193);
  ASSERT_EQ(o.phase, 1);
  runSteps(o, 63);  // fade back to plain
  press(VK_RETURN);
  ASSERT_EQ(o.main(), 0);  // step 64 of the second logo: holding already
  EXPECT_EQ(o.phase, 10);
}

TEST_F(OpeningTest, HeldDecideAndFadePressesNeverSkip) {
  press(VK_RETURN);  // held from before the opening
  Opening o;
  o.main();
  runSteps(o, 129);
  EXPECT_EQ(o.phase, 0) << "the load step consumed the edge";
  release(VK_RETURN);

  Opening::resetStatics();
  Opening second;
  second.main();
  runSteps(second, 10);
  press(VK_RETURN);  // during the fade-in: lost, not deferred
  runSteps(second, 100);
  EXPECT_EQ(second.phase, 0);
}

}  // namespace
}  // namespace lmtest
