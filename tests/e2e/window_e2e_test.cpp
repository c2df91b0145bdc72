// The player in its real SDL window. Needs an X display: scripts/test-xvfb
// runs these under a virtual X server with LM_XVFB=1; elsewhere they skip.
#include <gtest/gtest.h>

#include <cstdlib>

#include "PlayerRun.h"
#include "scenes/TestData.h"

namespace lmtest {
namespace {

class WindowE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("LM_XVFB") || !std::getenv("DISPLAY")) GTEST_SKIP() << "needs scripts/test-xvfb";
    writeScreenPictures();
    writeText("kirune.ini", "[DOROVANKA]\n");
  }
  ScratchDir dir;
};

TEST_F(WindowE2E, ScriptedKeysDriveTheWindowAndShotsAreWritten) {
  // Decide on the first logo's step 65 (player step 67) skips the opening:
  // 64 steps of fade, the finishing step, then the title.
  PlayerResult r = runProgram(playerPath(), "--scale 2 --steps 140 --input 67:enter --trace t.txt --shot 66:logo.png",
                              dir.path(), true);
  ASSERT_EQ(r.code, 0) << r.err;
  std::vector<std::string> trace = lines(slurp("t.txt"));
  ASSERT_EQ(trace.size(), 140u);
  EXPECT_EQ(trace[131], "132 opening");
  EXPECT_EQ(trace[132], "133 title");
  Shot logo = readShot("logo.png");
  EXPECT_EQ(logo.width, 320);
  EXPECT_EQ(logo.height, 240);
  EXPECT_TRUE(logo.uniform(248, 0, 0));
}

TEST_F(WindowE2E, MovingKeysDoNotSkipAtTheAutomaticScale) {
  PlayerResult r = runProgram(playerPath(), "--steps 140 --input 67:kp8,67:up,68:down --trace t.txt", dir.path(), true);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(withoutMissingFileReports(r.err), "");
  std::vector<std::string> trace = lines(slurp("t.txt"));
  ASSERT_EQ(trace.size(), 140u);
  EXPECT_EQ(trace[132], "133 opening") << "only Decide skips";
}

}  // namespace
}  // namespace lmtest
