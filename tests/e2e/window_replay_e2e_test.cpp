// A session played in the real window, written with --input-log, plays again
// headless with --input @FILE on the same path: every step's scene, phase
// and chart the same, and it renders to a video of as many frames. Needs
// scripts/test-xvfb (X server, window manager, xdotool); elsewhere it skips.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "ComfortRun.h"
#include "LiveWindow.h"
#include "VideoFile.h"

namespace lmtest {
namespace {

class WindowReplayE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("LM_XVFB") || !std::getenv("DISPLAY")) GTEST_SKIP() << "needs scripts/test-xvfb";
    if (!std::getenv("LM_XVFB_WM")) GTEST_SKIP() << "needs the window manager scripts/test-xvfb starts";
  }
  void TearDown() override {
    if (player && player->waitExit(0) < 0) xdotool("keyup alt+F4");
  }
  bool waitForStep(long step) const {
    return waitUntil([&] { return player->steps() >= step; }, static_cast<int>(step * 16 + 20000));
  }
  bool pointAt(int x, int y) {
    return xdotool("mousemove --sync --window " + player->window() + " " + std::to_string(2 * x) + " " +
                   std::to_string(2 * y));
  }
  std::string at(const std::string& name) const { return dir.path() + "/" + name; }

  ScratchDir dir;
  std::unique_ptr<LivePlayer> player;
};

TEST_F(WindowReplayE2E, ARecordedWindowSessionPlaysAgainHeadlessOnTheSamePath) {
  // Scripted keys to the language choice (they are logged too), then the
  // real mouse and keyboard.
  player = std::make_unique<LivePlayer>(
      dir.path(), std::vector<std::string>{"--data", demoData(), "--scale", "2", "--input",
                                           Script::demo(601, false).list(), "--input-log", at("session.txt"),
                                           "--trace", at("window.trace")});
  ASSERT_TRUE(player->findWindow()) << player->stderrText();
  ASSERT_TRUE(waitForStep(650));
  ASSERT_TRUE(pointAt(160, 160));  // "English"
  ASSERT_TRUE(player->waitSteps(8));
  ASSERT_TRUE(xdotool("click 1"));
  ASSERT_TRUE(waitForStep(player->steps() + 450));  // the first English message waits
  ASSERT_TRUE(player->focus());
  ASSERT_TRUE(xdotool("key Return"));
  ASSERT_TRUE(waitForStep(player->steps() + 300));
  ASSERT_TRUE(xdotool("click 5"));  // the wheel decides the next one
  ASSERT_TRUE(waitForStep(player->steps() + 200));
  ASSERT_TRUE(player->focus());
  ASSERT_TRUE(xdotool("keydown alt+F4"));
  const int code = player->waitExit();
  ASSERT_TRUE(xdotool("keyup alt+F4"));
  ASSERT_EQ(code, 0) << player->stderrText();

  const std::string log = slurp(at("session.txt"));
  EXPECT_NE(log.find(":click+@160x160"), std::string::npos) << log;
  EXPECT_NE(log.find(":enter+"), std::string::npos) << log;
  EXPECT_NE(log.find(":wheeldown@"), std::string::npos) << log;
  const size_t mark = log.rfind("after step ");
  ASSERT_NE(mark, std::string::npos) << log;
  const long steps = std::atol(log.c_str() + mark + 11);
  const std::vector<TraceStep> window = readTraceFile(at("window.trace"));
  ASSERT_EQ(static_cast<long>(window.size()), steps);

  std::string video;
  if (haveFfmpeg()) video = " --video-out " + at("replay.mkv") + " --video-scale 1";
  PlayerResult r = runPlayer("--data '" + demoData() + "' --headless --steps " + std::to_string(steps) +
                                 " --input @" + at("session.txt") + " --trace " + at("replay.trace") + video,
                             dir.path());
  ASSERT_EQ(r.code, 0) << r.err;
  // The same scene, phase and chart at every step: the same choices, messages and charts.
  EXPECT_EQ(slurp(at("replay.trace")), slurp(at("window.trace")));
  const std::vector<TraceStep> t = readTraceFile(at("replay.trace"));
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t.back().chart, 13) << "the English route";
  if (!video.empty()) {
    EXPECT_EQ(probe(at("replay.mkv")).frames, steps);
  }
}

}  // namespace
}  // namespace lmtest
