// A stop signal to the player in its real window ends the run as closing the
// window does: at the end of a step, outputs complete, no temporary left,
// exit status 128 + the signal.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "LiveWindow.h"
#include "scenes/TestData.h"

namespace lmtest {
namespace {

class WindowSignalE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("LM_XVFB") || !std::getenv("DISPLAY")) GTEST_SKIP() << "needs scripts/test-xvfb";
    writeScreenPictures();
    writeText("kirune.ini", "[DOROVANKA]\n");
  }
  ScratchDir dir;
};

TEST_F(WindowSignalE2E, AStopSignalClosesTheWindowWithItsOutputsComplete) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    LivePlayer player(dir.path(), {"--scale", "2", "--trace", "t.txt", "--frame-hashes", "f.txt"});
    ASSERT_TRUE(player.findWindow()) << player.stderrText();
    ASSERT_TRUE(player.waitSteps(10));
    ASSERT_EQ(::kill(player.pid(), sig), 0);
    EXPECT_EQ(player.waitExit(), 128 + sig) << player.stderrText();
    const std::vector<std::string> trace = lines(slurp(dir.path() + "/t.txt"));
    ASSERT_GE(trace.size(), 10u) << "signal " << sig;
    EXPECT_EQ(static_cast<long>(trace.size()), player.steps()) << "one trace line for every step run";
    EXPECT_EQ(trace.back().substr(0, trace.back().find(' ')), std::to_string(trace.size()));
    EXPECT_FALSE(lines(slurp(dir.path() + "/f.txt")).empty());
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      EXPECT_NE(e.path().extension(), ".tmp") << "temporary left: " << e.path();
  }
}

}  // namespace
}  // namespace lmtest
