// Real key events in the player's real window: every key of the table reaches
// the key state the steps see, system keys never do, and the window's own
// commands (full screen, screenshots) work; covering, uncovering and closing
// the window. Needs an X server with a window manager and xdotool:
// scripts/test-xvfb provides them (LM_XVFB=1, LM_XVFB_WM=1); elsewhere these skip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "LiveWindow.h"
#include "scenes/TestData.h"

namespace lmtest {
namespace {

bool isKeys(const LogLine& l) { return l.what == "keys"; }
bool isKeysClear(const LogLine& l) { return l.what == "keys" && l.arg == "00"; }
bool isKeysSet(const LogLine& l) { return l.what == "keys" && l.arg != "00"; }

class WindowInputE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("LM_XVFB") || !std::getenv("DISPLAY")) GTEST_SKIP() << "needs scripts/test-xvfb";
    if (!std::getenv("LM_XVFB_WM")) GTEST_SKIP() << "needs the window manager scripts/test-xvfb starts";
    writeScreenPictures();
    writeText("kirune.ini", "[DOROVANKA]\n");
  }
  void TearDown() override {
    if (player && player->waitExit(0) < 0) {
      // Leave no key held in the X server for the next test.
      xdotool("keyup alt Return KP_Enter space Up F11 F12");
    }
  }

  void start(const std::vector<std::string>& args = {"--scale", "2"}) {
    player = std::make_unique<LivePlayer>(dir.path(), args);
    ASSERT_TRUE(player->findWindow()) << player->stderrText();
    ASSERT_GE(player->waitForLine(0, isKeys), 0) << "no step ran";
  }

  // What one held key did: the key bits the first step after the press saw,
  // and the virtual-key code the window passed on (-1 for none).
  struct Seen {
    int bits = -1;
    int vk = -1;
  };
  // Holds `key` (xdotool names, "+" between keys held together) until a step
  // has seen a key bit, then lets go and waits until the bits are clear.
  Seen press(const std::string& key) {
    Seen s;
    const size_t from = player->events().size();
    EXPECT_TRUE(xdotool("keydown " + key));
    const long at = player->waitForLine(from, isKeysSet);
    EXPECT_TRUE(xdotool("keyup " + key));
    if (at < 0) return s;
    std::vector<LogLine> ev = player->events();
    s.bits = std::stoi(ev[static_cast<size_t>(at)].arg, nullptr, 16);
    for (size_t i = from; i < static_cast<size_t>(at); ++i)
      if (ev[i].what == "key" && ev[i].arg.find("down") != std::string::npos) s.vk = std::stoi(ev[i].arg, nullptr, 16);
    EXPECT_GE(player->waitForLine(static_cast<size_t>(at) + 1, isKeysClear), 0) << key << " was not released";
    return s;
  }
  // Holds `key` for eight steps (more than 100 ms), then lets go; a Left
  // press follows as a marker. Returns the log lines before the marker.
  std::vector<LogLine> holdThenMark(const std::string& key) {
    const size_t from = player->events().size();
    EXPECT_TRUE(xdotool("keydown " + key));
    EXPECT_TRUE(player->waitSteps(8));
    EXPECT_TRUE(xdotool("keyup " + key));
    EXPECT_TRUE(player->waitSteps(2));
    std::vector<LogLine> ev = player->events();
    EXPECT_EQ(press("Left").bits, 0x08) << "marker";
    return std::vector<LogLine>(ev.begin() + static_cast<long>(from), ev.end());
  }
  bool waitForGeometry(int w, int h) {
    return waitUntil([&] { return player->geometry() == std::make_pair(w, h); });
  }

  ScratchDir dir;
  std::unique_ptr<LivePlayer> player;
};

TEST_F(WindowInputE2E, EveryKeyOfTheTableReachesTheSteps) {
  start();
  struct Row {
    std::string key;
    int vk;
    int bit;
  };
  // The keypad by keycode: xdotool would change the Num Lock state to reach a
  // keypad keysym of the other state.
  const std::string kp8 = keycodeOf("KP8"), kp2 = keycodeOf("KP2"), kp6 = keycodeOf("KP6"), kp4 = keycodeOf("KP4");
  ASSERT_FALSE(kp8.empty() || kp2.empty() || kp6.empty() || kp4.empty());
  // Xvfb starts with Num Lock off: the keypad sends the cursor codes.
  const Row rows[] = {
      {"Up", 0x26, 0x01},     {"Down", 0x28, 0x02},     {"Right", 0x27, 0x04}, {"Left", 0x25, 0x08},
      {kp8, 0x26, 0x01},      {kp2, 0x28, 0x02},        {kp6, 0x27, 0x04},     {kp4, 0x25, 0x08},
      {"Return", 0x0D, 0x10}, {"KP_Enter", 0x0D, 0x10}, {"space", 0x20, 0x10},
  };
  for (const Row& r : rows) {
    Seen s = press(r.key);
    EXPECT_EQ(s.bits, r.bit) << r.key;
    EXPECT_EQ(s.vk, r.vk) << r.key;
  }
  // With Num Lock on the keypad digits send their own codes, for the same bits.
  ASSERT_TRUE(xdotool("key Num_Lock"));
  const Row keypad[] = {{kp8, 0x68, 0x01}, {kp2, 0x62, 0x02}, {kp6, 0x66, 0x04}, {kp4, 0x64, 0x08}};
  for (const Row& r : keypad) {
    Seen s = press(r.key);
    EXPECT_EQ(s.bits, r.bit) << r.key;
    EXPECT_EQ(s.vk, r.vk) << r.key;
  }
  ASSERT_TRUE(xdotool("key Num_Lock"));
  EXPECT_EQ(press(kp8).vk, 0x26) << "Num Lock off again";
  // Two keys of one bit: both held, the bit is set once; the steps see it.
  Seen both = press("Return+space");
  EXPECT_EQ(both.bits, 0x10);
  // Escape last: besides its bit it opens the player's menu, which pauses the steps.
  Seen esc = press("Escape");
  EXPECT_EQ(esc.bits, 0x20);
  EXPECT_EQ(esc.vk, 0x1B);
  EXPECT_EQ(withoutMissingFileReports(player->stderrText()), "");
}

TEST_F(WindowInputE2E, AltCombinationsAndF10NeverReachTheKeyState) {
  start();
  for (const char* key : {"alt+space", "alt+Up", "alt+KP_Down", "alt+Escape", "alt+Left", "F10"}) {
    SCOPED_TRACE(key);
    std::vector<LogLine> before = holdThenMark(key);
    for (const LogLine& l : before) {
      EXPECT_NE(l.what, "keys") << "a step saw " << l.arg;
      if (l.what == "key") {
        EXPECT_EQ(l.arg.find("down"), std::string::npos) << "the window passed on " << l.arg;
      }
    }
  }
  // Held before Alt went down, a key is still let go with Alt held.
  const size_t from = player->events().size();
  ASSERT_TRUE(xdotool("keydown space"));
  const long down = player->waitForLine(from, isKeysSet);
  ASSERT_GE(down, 0);
  ASSERT_TRUE(xdotool("keydown alt"));
  ASSERT_TRUE(xdotool("keyup space"));
  EXPECT_GE(player->waitForLine(static_cast<size_t>(down) + 1, isKeysClear), 0);
  ASSERT_TRUE(xdotool("keyup alt"));
}

TEST_F(WindowInputE2E, F11AndAltEnterToggleFullScreenAndBack) {
  start();
  ASSERT_TRUE(waitForGeometry(640, 480));
  const size_t from = player->events().size();
  for (const char* key : {"F11", "alt+Return", "alt+KP_Enter"}) {
    SCOPED_TRACE(key);
    for (const char* state : {"on", "off"}) {
      // The window acts on the press itself, not on a step: press and let go
      // at once (a key held past the auto-repeat delay while the window
      // manager moves the focus comes back without its Alt).
      const size_t mark = player->events().size();
      ASSERT_TRUE(xdotool("key " + std::string(key)));
      EXPECT_GE(player->waitForLine(mark, [&](const LogLine& l) { return l.what == "fullscreen" && l.arg == state; }),
                0)
          << state;
      if (std::string(state) == "on") {
        EXPECT_TRUE(waitForGeometry(1280, 1024)) << player->geometry().first;
      } else {
        EXPECT_TRUE(waitForGeometry(640, 480)) << player->geometry().first;
      }
    }
  }
  // None of it reached the key state.
  std::vector<LogLine> ev = player->events();
  for (size_t i = from; i < ev.size(); ++i) EXPECT_FALSE(isKeysSet(ev[i])) << ev[i].step << " " << ev[i].arg;
}

TEST_F(WindowInputE2E, F12NumbersScreenshotsPastTakenNames) {
  writeText("lmplayer-0001.png", "taken");
  start({"--scale", "2", "--shot-dir", dir.path()});
  for (const char* name : {"lmplayer-0002.png", "lmplayer-0003.png"}) {
    const size_t mark = player->events().size();
    ASSERT_TRUE(xdotool("key F12"));
    const long at = player->waitForLine(mark, [](const LogLine& l) { return l.what == "shot"; });
    ASSERT_GE(at, 0);
    EXPECT_EQ(player->events()[static_cast<size_t>(at)].arg, dir.path() + "/" + name);
    Shot shot;
    EXPECT_TRUE(waitUntil([&] {
      shot = readShot(name);
      return shot.ok;
    })) << name;
    EXPECT_EQ(shot.width, 320);
    EXPECT_EQ(shot.height, 240);
  }
  EXPECT_EQ(slurp("lmplayer-0001.png"), "taken");
  EXPECT_FALSE(fileExists("lmplayer-0004.png"));
  // Neither press reached the key state.
  for (const LogLine& l : player->events()) EXPECT_FALSE(isKeysSet(l)) << l.arg;
}

// Without --shot-dir a screenshot goes to the user's pictures folder, into a
// folder of the player's own made on first use, never the working folder.
TEST_F(WindowInputE2E, F12SavesIntoThePicturesFolder) {
  start();
  const size_t mark = player->events().size();
  ASSERT_TRUE(xdotool("key F12"));
  const long at = player->waitForLine(mark, [](const LogLine& l) { return l.what == "shot"; });
  ASSERT_GE(at, 0) << player->stderrText();
  const std::string want = dir.path() + "/.xdg/pictures/lmplayer/lmplayer-0001.png";
  EXPECT_EQ(player->events()[static_cast<size_t>(at)].arg, want);
  EXPECT_TRUE(waitUntil([&] { return fileExists(want); }));
  EXPECT_FALSE(fileExists("lmplayer-0001.png"));
}

TEST_F(WindowInputE2E, UncoveredWindowIsRepaintedAndClosingEndsTheRun) {
  start();
  // A second player's larger window covers this one, then is closed.
  makeDirs(dir.path() + "/cover");
  writeText("cover/kirune.ini", "[DOROVANKA]\n");
  LivePlayer cover(dir.path() + "/cover", {"--scale", "4"});
  ASSERT_TRUE(cover.findWindow()) << cover.stderrText();
  ASSERT_TRUE(xdotool("windowmove --sync " + cover.window() + " 0 0"));
  ASSERT_TRUE(cover.waitSteps(2));
  const size_t mark = player->events().size();
  ASSERT_TRUE(xdotool("keydown alt+F4"));
  EXPECT_EQ(cover.waitExit(), 0) << cover.stderrText();
  ASSERT_TRUE(xdotool("keyup alt+F4"));
  EXPECT_GE(player->waitForLine(mark, [](const LogLine& l) { return l.what == "paint"; }), 0)
      << "no repaint after the cover went";

  // Closing through the window manager: the run ends with exit code 0.
  ASSERT_TRUE(player->focus());
  ASSERT_TRUE(xdotool("keydown alt+F4"));
  const int code = player->waitExit();
  ASSERT_TRUE(xdotool("keyup alt+F4"));
  EXPECT_EQ(code, 0) << player->stderrText();
  std::vector<LogLine> ev = player->events();
  ASSERT_FALSE(ev.empty());
  EXPECT_EQ(ev.back().what, "close");
  EXPECT_EQ(ev.back().step, player->steps()) << "the close came after the last step";
}

}  // namespace
}  // namespace lmtest
