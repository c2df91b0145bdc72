// The command line and the step hooks a run installs: scripted keys, the
// trace line, the step limit.
#include <gtest/gtest.h>

#include <cstdio>

#include "game/Game.h"
#include "platform/Clock.h"
#include "scenes/LmPlayer.h"
#include "shell/Key.h"
#include "app/Options.h"
#include "app/Session.h"
#include "PlayerRun.h"
#include "support/TestSupport.h"

namespace {

using app::InputEvent;
using app::Options;

bool parse(std::vector<std::string> args, Options& o, std::string& error) {
  return app::parseOptions(args, o, error);
}

TEST(Options, ValuesInBothSpellingsAndRepeatedShots) {
  Options o;
  std::string error;
  ASSERT_TRUE(parse({"--headless", "--steps=300", "--data", "d", "--shot", "5:a.png", "--shot=7:b:c.png",
                     "--trace", "t.txt", "--audio-out", "o.wav", "--scale", "3"},
                    o, error))
      << error;
  EXPECT_TRUE(o.headless);
  EXPECT_EQ(o.steps, 300);
  EXPECT_EQ(o.dataDir, "d");
  ASSERT_EQ(o.shots.size(), 2u);
  EXPECT_EQ(o.shots[1].step, 7);
  EXPECT_EQ(o.shots[1].file, "b:c.png");
  EXPECT_EQ(o.trace, "t.txt");
  EXPECT_EQ(o.audioOut, "o.wav");
  EXPECT_EQ(o.scale, 3);
}

TEST(Options, InputListExpandsPressesAndReleasesInStepOrder) {
  std::vector<InputEvent> ev;
  std::string error;
  ASSERT_TRUE(app::parseInputList("6:enter,5:kp8+,9:kp8-,5:enter", ev, error)) << error;
  ASSERT_EQ(ev.size(), 6u);
  EXPECT_EQ(ev[0].step, 5);
  EXPECT_EQ(ev[0].vk, VK_NUMPAD8);
  EXPECT_TRUE(ev[0].down);
  EXPECT_EQ(ev[1].step, 5);  // 5:enter press
  EXPECT_EQ(ev[1].vk, VK_RETURN);
  EXPECT_EQ(ev[2].step, 6);  // 6:enter press, given before 5:enter's release
  EXPECT_TRUE(ev[2].down);
  EXPECT_EQ(ev[3].step, 6);  // 5:enter release
  EXPECT_FALSE(ev[3].down);
  EXPECT_EQ(ev[4].step, 7);
  EXPECT_FALSE(ev[4].down);
  EXPECT_EQ(ev[5].step, 9);
  EXPECT_EQ(ev[5].vk, VK_NUMPAD8);
  EXPECT_FALSE(ev[5].down);
}

TEST(Options, MouseEntriesAndThePlayersOwnKeys) {
  std::vector<InputEvent> ev;
  std::string error;
  ASSERT_TRUE(app::parseInputList("5:click@10x20,6:rclick,7:wheelup,7:wheeldown,8:move@319x239,9:f5,9:ctrl+,"
                                  "10:move@0x0,11:pagedown,11:a,11:m,11:tab,11:backspace,11:pageup,11:f9",
                                  ev, error))
      << error;
  ASSERT_EQ(ev.size(), 25u);  // keys without + or - press and release
  using K = platform::PointerEvent;
  auto pointer = [](const InputEvent& e, long step, K::Kind kind, int x, int y) {
    return e.isPointer && e.step == step && e.pointer.kind == kind && e.pointer.x == x && e.pointer.y == y;
  };
  EXPECT_TRUE(pointer(ev[0], 5, K::LeftDown, 10, 20));
  EXPECT_TRUE(pointer(ev[1], 6, K::LeftUp, 10, 20));  // the click's release comes a step later
  EXPECT_TRUE(pointer(ev[2], 6, K::RightDown, 0, 0));
  EXPECT_TRUE(pointer(ev[3], 7, K::RightUp, 0, 0));
  EXPECT_TRUE(pointer(ev[4], 7, K::WheelUp, 0, 0));
  EXPECT_TRUE(pointer(ev[5], 7, K::WheelDown, 0, 0));
  EXPECT_TRUE(pointer(ev[6], 8, K::Move, 319, 239));
  EXPECT_FALSE(ev[7].isPointer);
  EXPECT_EQ(ev[7].vk, VK_F5);
  EXPECT_EQ(ev[8].vk, VK_CONTROL);  // ctrl+ only presses
  EXPECT_TRUE(ev[8].down);
  EXPECT_EQ(ev[9].vk, VK_F5);
  EXPECT_FALSE(ev[9].down);
  EXPECT_TRUE(pointer(ev[10], 10, K::Move, 0, 0));
  const std::vector<unsigned> later = {VK_NEXT, VK_A, VK_M, VK_TAB, VK_BACK, VK_PRIOR, VK_F9};
  for (size_t i = 0; i < later.size(); ++i) {
    EXPECT_EQ(ev[11 + i].vk, later[i]);
    EXPECT_TRUE(ev[11 + i].down);
    EXPECT_EQ(ev[18 + i].vk, later[i]);
    EXPECT_FALSE(ev[18 + i].down);
  }

  for (const char* bad : {"1:click@320x0", "1:move", "1:click@1x", "1:click@-1x2", "1:click@1x240", "1:move@1x2+",
                          "1:wheel", "1:f6"}) {
    std::vector<InputEvent> none;
    EXPECT_FALSE(app::parseInputList(bad, none, error)) << bad;
    EXPECT_NE(error.find("--input"), std::string::npos) << error;
  }
}

TEST(Options, VideoOptionsAndInputFromAFile) {
  lmtest::ScratchDir dir;
  Options o;
  std::string error;
  ASSERT_TRUE(parseOptions({"--headless", "--steps", "9", "--video-out", "a.mp4", "--video-scale", "2", "--input-log",
                            "k.txt"},
                           o, error))
      << error;
  EXPECT_EQ(o.videoOut, "a.mp4");
  EXPECT_EQ(o.videoScale, 2);
  EXPECT_EQ(o.inputLog, "k.txt");
  EXPECT_FALSE(parseOptions({"--video-scale", "9", "--video-out", "a.mp4"}, o, error));
  EXPECT_FALSE(parseOptions({"--video-scale", "2"}, o, error));
  EXPECT_NE(error.find("--video-out"), std::string::npos) << error;
  EXPECT_FALSE(parseOptions({"--watch", "--video-out", "a.mkv"}, o, error));
  EXPECT_FALSE(parseOptions({"--watch", "--input-log", "k.txt"}, o, error));
  EXPECT_NE(error.find("--watch"), std::string::npos) << error;

  // A list file: commas or line ends, comments, blanks; halves of clicks.
  lmtest::writeText(dir.path() + "/in.txt", "# a session\n5:enter+\n\n6:enter-, 7:click+@10x20 # pressed\n9:click-@11x21\n");
  ASSERT_TRUE(parseOptions(std::vector<std::string>{"--input", "@" + dir.path() + "/in.txt", "--input", "8:down"}, o, error)) << error;
  ASSERT_EQ(o.input.size(), 6u);
  EXPECT_TRUE(o.input[0].down);
  EXPECT_EQ(o.input[0].vk, static_cast<unsigned>(VK_RETURN));
  EXPECT_FALSE(o.input[1].down);
  EXPECT_TRUE(o.input[2].isPointer);
  EXPECT_EQ(o.input[2].pointer.kind, platform::PointerEvent::LeftDown);
  EXPECT_EQ(o.input[2].pointer.x, 10);
  EXPECT_EQ(o.input[4].step, 9);
  EXPECT_EQ(o.input[4].pointer.kind, platform::PointerEvent::LeftUp);
  EXPECT_EQ(o.input[4].pointer.y, 21);
  lmtest::writeText(dir.path() + "/empty.txt", "# nothing\n\n");
  EXPECT_FALSE(parseOptions(std::vector<std::string>{"--input", "@" + dir.path() + "/empty.txt"}, o, error));
  EXPECT_NE(error.find("holds no entries"), std::string::npos) << error;
}

TEST(Options, SettingsAndSaveFolderOptions) {
  Options o;
  std::string error;
  ASSERT_TRUE(parse({"--config", "c.ini", "--save-dir", "s"}, o, error)) << error;
  EXPECT_EQ(o.config, "c.ini");
  EXPECT_EQ(o.saveDir, "s");
  EXPECT_FALSE(parse({"--config", ""}, o, error));
  EXPECT_FALSE(parse({"--save-dir", ""}, o, error));
  const std::string help = app::usageText();
  for (const char* word : {"--config", "--save-dir", "F5", "Backspace", "Page Up", "click@XxY"})
    EXPECT_NE(help.find(word), std::string::npos) << word;
}

TEST(Options, MalformedValuesAreRefusedWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"--steps", "99999999999999999999"}, {"--input", "1:enter,"}, {"--input", ":enter"},
      {"--input", "3:enter+-"},            {"--scale", "3.5"},      {"--data", ""},
      {"--shot", "4:"},                    {"-x"},                  {"--version=2"},
  };
  for (const auto& args : bad) {
    Options o;
    std::string error;
    EXPECT_FALSE(parse(args, o, error)) << args[0];
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KeyReset();
    LmPlayer::resetSceneStatics();
  }
  void TearDown() override { KeyReset(); }
  lmtest::ScratchDir dir;
  platform::VirtualClock clock{0};
};

TEST_F(SessionTest, KeysArriveJustBeforeTheirStepAndTheLimitStopsTheLoop) {
  Options o;
  std::string error;
  ASSERT_TRUE(parse({"--steps", "5", "--input", "2:enter,4:up+", "--trace", "trace.txt"}, o, error)) << error;
  std::vector<int> seen;
  {
    app::Session session(o);
    ASSERT_TRUE(session.ok());
    loop::FrameLoop loop(clock);
    session.attach(loop);
    loop.create();
    while (!loop.quitPosted()) {
      clock.advance(5);
      long before = loop.steps();
      loop.tick();
      if (loop.steps() != before) seen.push_back(KeyStatus());
      if (loop.stopRequested()) loop.close();
    }
    EXPECT_EQ(loop.steps(), 5);
  }
  // The key state seen by each step (one step per 5 ms tick here): Enter over step 2 only, Up from step 4 on.
  EXPECT_EQ(seen, (std::vector<int>{0, KEY_DECIDE, 0, KEY_UP, KEY_UP}));
  std::vector<std::string> expected = {"1 start", "2 opening", "3 opening", "4 opening", "5 opening"};
  lmtest::Bytes bytes = lmtest::readFile("trace.txt");
  std::string text(bytes.begin(), bytes.end());
  std::string joined;
  for (auto& l : expected) joined += l + "\n";
  EXPECT_EQ(text, joined);
}

TEST_F(SessionTest, AnInputListRepeatsEveryPeriod) {
  Options o;
  std::string error;
  ASSERT_TRUE(parse({"--steps", "9", "--input", "1:enter,3:up", "--input-repeat", "3"}, o, error)) << error;
  std::vector<int> seen;
  {
    app::Session session(o);
    loop::FrameLoop loop(clock);
    session.attach(loop);
    loop.create();
    while (!loop.quitPosted()) {
      clock.advance(5);
      long before = loop.steps();
      loop.tick();
      if (loop.steps() != before) seen.push_back(KeyStatus());
      if (loop.stopRequested()) loop.close();
    }
  }
  // Up pressed on a period's last step is released as the next period's Enter goes down.
  EXPECT_EQ(seen, (std::vector<int>{KEY_DECIDE, 0, KEY_UP, KEY_DECIDE, 0, KEY_UP, KEY_DECIDE, 0, KEY_UP}));
  EXPECT_FALSE(parse({"--input", "5:enter", "--input-repeat", "3"}, o, error));
  EXPECT_NE(error.find("--input-repeat"), std::string::npos);
  EXPECT_FALSE(parse({"--input-repeat", "0"}, o, error));
}

TEST_F(SessionTest, TraceLineOfTheStory) {
  LmPlayer p;
  EXPECT_EQ(app::traceLine(3, 1, p), "3 opening");
  p.game = std::make_unique<Game>();
  p.game->phase = 0x8D;
  p.game->chart = 12;
  EXPECT_EQ(app::traceLine(40, 4, p), "40 game phase 141 chart 12");
}

TEST_F(SessionTest, AnUnwritableTraceIsReported) {
  Options o;
  o.trace = "no/such/dir/trace.txt";
  app::Session session(o);
  EXPECT_FALSE(session.ok());
  EXPECT_NE(session.error().find("trace"), std::string::npos);
}

TEST_F(SessionTest, EventLogTellsTheKeyBitsEachStepSawAndTheWindowsEvents) {
  Options o;
  std::string error;
  ASSERT_TRUE(parse({"--steps", "8", "--input", "2:enter,4:up+,6:kp2+,7:up-", "--event-log", "ev.txt",
                     "--step-times", "st.txt"},
                    o, error))
      << error;
  {
    app::Session session(o);
    ASSERT_TRUE(session.ok()) << session.error();
    loop::FrameLoop loop(clock);
    session.attach(loop);
    loop.create();
    session.windowEvent("paint");  // before any step
    while (!loop.quitPosted()) {
      clock.advance(5);
      const long before = loop.steps();
      loop.tick();
      if (loop.steps() == 3 && before != 3) {
        session.windowKey(VK_SPACE, true);
        session.windowEvent("fullscreen on");
      }
      if (loop.stopRequested()) loop.close();
    }
  }
  // One step per tick; a line when the bits change, the window's events
  // stamped with the step after which they came.
  EXPECT_EQ(lmtest::slurp("ev.txt"),
            "0 paint\n"
            "1 keys 00\n"
            "2 keys 10\n"
            "3 keys 00\n"
            "3 key 20 down\n"
            "3 fullscreen on\n"
            "4 keys 01\n"
            "6 keys 03\n"
            "7 keys 02\n");
  std::vector<std::string> times = lmtest::lines(lmtest::slurp("st.txt"));
  ASSERT_EQ(times.size(), 8u);
  double last = -1;
  for (size_t i = 0; i < times.size(); ++i) {
    long step = 0;
    double ms = -1;
    ASSERT_EQ(std::sscanf(times[i].c_str(), "%ld %lf", &step, &ms), 2) << times[i];
    EXPECT_EQ(step, static_cast<long>(i) + 1);
    EXPECT_GE(ms, last);
    last = ms;
  }
  EXPECT_EQ(times[0], "1 0.000");
}

TEST_F(SessionTest, AnUnwritableEventLogOrStepTimesFileIsReported) {
  for (const char* option : {"--event-log", "--step-times"}) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse({option, "no/such/dir/x.txt"}, o, error)) << error;
    app::Session session(o);
    EXPECT_FALSE(session.ok()) << option;
    EXPECT_FALSE(parse({option, ""}, o, error)) << option;
  }
}

}  // namespace
