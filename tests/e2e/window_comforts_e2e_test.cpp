// The mouse in the player's real window: the pointer events SDL delivers
// (scaled window, frame coordinates) hover and pick a choice item, a right
// click opens the menu over the paused story, the wheel opens and closes the
// backlog and decides a message but never a choice, and closing the window writes the automatic save. Needs scripts/test-xvfb (X server, window manager,
// xdotool); elsewhere these skip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "ComfortRun.h"
#include "LiveWindow.h"
#include "save/Bytes.h"
#include "save/SaveFile.h"

namespace lmtest {
namespace {

class WindowComfortsE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("LM_XVFB") || !std::getenv("DISPLAY")) GTEST_SKIP() << "needs scripts/test-xvfb";
    if (!std::getenv("LM_XVFB_WM")) GTEST_SKIP() << "needs the window manager scripts/test-xvfb starts";
  }
  void TearDown() override {
    if (player && player->waitExit(0) < 0) xdotool("keyup alt+F4");
  }

  // Waits until the run has taken `step` steps (the step-times file grows
  // as they run; the story's course by step is the same as headless).
  bool waitForStep(long step) const {
    return waitUntil([&] { return player->steps() >= step; }, static_cast<int>(step * 16 + 20000));
  }
  // Moves the pointer to frame pixel (x, y) of the window at scale 2.
  bool pointAt(int x, int y) {
    return xdotool("mousemove --sync --window " + player->window() + " " + std::to_string(2 * x) + " " +
                   std::to_string(2 * y));
  }

  ScratchDir dir;
  std::unique_ptr<LivePlayer> player;
};

TEST_F(WindowComfortsE2E, TheMousePicksAChoiceOpensTheMenuAndClosingSaves) {
  // Through the screens before the story to its language choice, which then waits.
  player = std::make_unique<LivePlayer>(
      dir.path(), std::vector<std::string>{"--data", demoData(), "--scale", "2", "--input",
                                           Script::demo(601, false).list(), "--trace", dir.path() + "/t.txt",
                                           "--save-dir", dir.path() + "/saves", "--shot-dir", dir.path()});
  ASSERT_TRUE(player->findWindow()) << player->stderrText();
  ASSERT_TRUE(waitForStep(650));  // the choice waits from step 602

  // Scrolling down over the open choice picks nothing.
  ASSERT_TRUE(xdotool("click --repeat 3 --delay 30 5"));
  ASSERT_TRUE(player->waitSteps(8));
  const long wheeled = player->steps();

  // Hover over "English" (the second row of the choice), then click it.
  ASSERT_TRUE(pointAt(160, 160));
  ASSERT_TRUE(player->waitSteps(8));
  ASSERT_TRUE(xdotool("click 1"));
  // The English route's first message then waits (no more keys): about 330 steps on.
  const long clicked = player->steps();
  ASSERT_TRUE(waitForStep(clicked + 450));

  // A right click opens the menu: the story stops stepping (its face no
  // longer blinks) and the frame shows the menu's yellow frame.
  ASSERT_TRUE(xdotool("click 3"));
  ASSERT_TRUE(player->waitSteps(4));
  const size_t mark = player->events().size();
  ASSERT_TRUE(xdotool("key F12"));
  ASSERT_GE(player->waitForLine(mark, [](const LogLine& l) { return l.what == "shot"; }), 0);
  Shot shot;
  ASSERT_TRUE(waitUntil([&] {
    shot = readShot("lmplayer-0001.png");
    return shot.ok;
  }));
  EXPECT_EQ(shot.at(101, 52), (std::vector<int>{240, 240, 0})) << "the menu's frame";
  // Escape closes it again.
  ASSERT_TRUE(xdotool("key Escape"));
  ASSERT_TRUE(player->waitSteps(4));

  // The wheel: up opens the backlog (its yellow frame runs along the
  // screen's edge), down past its end closes it, and down again decides the
  // waiting message.
  ASSERT_TRUE(xdotool("click 4"));
  ASSERT_TRUE(player->waitSteps(4));
  const size_t mark2 = player->events().size();
  ASSERT_TRUE(xdotool("key F12"));
  ASSERT_GE(player->waitForLine(mark2, [](const LogLine& l) { return l.what == "shot"; }), 0);
  ASSERT_TRUE(waitUntil([&] {
    shot = readShot("lmplayer-0002.png");
    return shot.ok;
  }));
  EXPECT_EQ(shot.at(2, 120), (std::vector<int>{240, 240, 0})) << "the backlog's frame";
  ASSERT_TRUE(xdotool("click 5"));
  ASSERT_TRUE(player->waitSteps(4));
  const long decided = player->steps();
  ASSERT_TRUE(xdotool("click 5"));
  ASSERT_TRUE(waitForStep(decided + 200));  // the next message types out and waits

  // Closing the window writes the automatic save of the waiting message.
  ASSERT_TRUE(player->focus());
  ASSERT_TRUE(xdotool("keydown alt+F4"));
  const int code = player->waitExit();
  ASSERT_TRUE(xdotool("keyup alt+F4"));
  EXPECT_EQ(code, 0) << player->stderrText();
  const Bytes bytes = readFile(dir.path() + "/saves/auto.sav");
  ASSERT_GT(bytes.size(), save::kHeaderBytes);
  save::ByteReader header(bytes.data() + 12, 8);
  save::SaveData d;
  ASSERT_EQ(save::decodeSave(bytes.data(), bytes.size(), header.u64(), d), save::SaveProblem::None);
  EXPECT_EQ(d.state.game.phase, 21);
  EXPECT_EQ(d.state.game.chart, 13) << "the English route";
  // The trace agrees: the language choice waited, then the English chart.
  const std::vector<TraceStep> t = readTraceFile(dir.path() + "/t.txt");
  ASSERT_GT(t.size(), 700u);
  EXPECT_EQ(t[649].phase, 50);
  ASSERT_GT(t.size(), static_cast<size_t>(wheeled));
  EXPECT_EQ(t[static_cast<size_t>(wheeled) - 1].phase, 50) << "the wheel left the choice open";
  EXPECT_EQ(t.back().chart, 13) << ::testing::PrintToString(t.back()) << " of " << t.size() << " after " << clicked;
  // The first English message waited through the menu and the backlog until
  // the wheel decided it; the next one waits at the end.
  std::vector<Wait> messages;
  for (const Wait& w : waits(t))
    if (w.phase == 21 && w.first > clicked) messages.push_back(w);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_GE(messages[0].last, decided) << "nothing before the wheel decided it";
  EXPECT_EQ(messages[1].last, t.back().n);
}

}  // namespace
}  // namespace lmtest
