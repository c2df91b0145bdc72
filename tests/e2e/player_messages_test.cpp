// What the player says on standard error about missing data, chart errors, a
// data directory without a story, no display and no sound; --chart and --watch.
#include <gtest/gtest.h>

#include "PlayerRun.h"
#include "app/Run.h"
#include "tools/MiniStory.h"

namespace lmtest {
namespace {

class PlayerMessages : public ::testing::Test {
 protected:
  ScratchDir dir;
};

TEST_F(PlayerMessages, AMissingFileIsNamedOnceWithItsDirectoryAndChart) {
  writeMiniStory(withLine(kMiniScript, 21, "text \"\\cThree.\"\nimage E001"));
  std::remove("ev/E001.PF1");
  std::remove("voice/KI001.PCM");
  // Chart one asks for E001 and the voice; chart three asks for E001 again.
  PlayerResult r = runPlayer("--headless --steps 900 --chart 1 --input 200:enter,260:enter,320:down,360:enter,420:enter",
                             dir.path());
  EXPECT_EQ(r.code, 0);
  std::vector<std::string> err = lines(r.err);
  ASSERT_EQ(err.size(), 2u) << r.err;
  EXPECT_EQ(err[0], "lmplayer: cannot open E001.PF1 in " + dir.path() + "/ev (needed by chart 1)");
  EXPECT_EQ(err[1], "lmplayer: cannot open KI001.PCM in " + dir.path() + " or " + dir.path() +
                        "/voice (needed by chart 1)")
      << "a bank is looked for in SYSDIR, then PCMDIR";
}

TEST_F(PlayerMessages, AChartErrorSaysWhereItIs) {
  story::StoryFiles files = writeMiniStory(withLine(kMiniScript, 22, "raw 0x94"));
  PlayerResult r = runPlayer("--headless --steps 100 --chart 3 --trace t.txt --input 40:enter", dir.path());
  EXPECT_EQ(r.code, 0);
  std::vector<std::string> err = lines(r.err);
  ASSERT_EQ(err.size(), 2u) << r.err;
  EXPECT_EQ(err[0], "ERROR: CHART ERROR 0x94");
  size_t at = 0;
  for (size_t i = 0; i < files.event.size(); ++i)
    if (files.event[i] == 0x94) at = i;
  char want[96];
  std::snprintf(want, sizeof want, "lmplayer: the chart error is in chart 3 at EVENT.BIN offset 0x%zX", at);
  EXPECT_EQ(err[1], want);
}

TEST_F(PlayerMessages, ChartStartsTheStoryThereAtOnce) {
  writeMiniStory();
  PlayerResult r = runPlayer("--headless --steps 3 --chart 3 --trace t.txt", dir.path());
  ASSERT_EQ(r.code, 0) << r.err;
  std::vector<std::string> trace = lines(slurp("t.txt"));
  ASSERT_EQ(trace.size(), 3u);
  EXPECT_EQ(trace[0].rfind("1 game phase ", 0), 0u) << "no opening, title or select screen";
  EXPECT_EQ(trace[0].substr(trace[0].size() - 8), " chart 3") << trace[0];
  r = runPlayer("--headless --steps 3 --chart 5", dir.path());
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "lmplayer: --chart 5: the story has charts 0 to 4\n");
  EXPECT_EQ(runPlayer("--headless --steps 3 --chart x", dir.path()).code, 2);
}

TEST_F(PlayerMessages, ADataDirectoryWithoutAStory) {
  makeDirs("empty");
  PlayerResult r = runPlayer("--headless --steps 3 --data empty", dir.path());
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "lmplayer: 'empty' holds no readable kirune.ini: it is not a story's data directory\n");
}

TEST_F(PlayerMessages, NoDisplayNamesHeadless) {
  writeMiniStory();
  // runProgram takes DISPLAY away; no video driver is chosen.
  PlayerResult r = runProgram(playerPath(), "--steps 3", dir.path());
  EXPECT_EQ(r.code, 1);
  std::vector<std::string> err = lines(r.err);
  ASSERT_EQ(err.size(), 1u) << r.err;
  EXPECT_NE(err[0].find("use --headless"), std::string::npos) << err[0];
}

TEST_F(PlayerMessages, NoSoundIsOneLine) {
  writeMiniStory();
  // A chosen off-screen display, and ALSA asked for a card that does not
  // exist. (The audio libraries keep some memory to the end: not ours to free.)
  PlayerResult r = runProgram("/usr/bin/env", "-u WAYLAND_DISPLAY ASAN_OPTIONS=detect_leaks=0 "
                              "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=alsa "
                              "AUDIODEV=hw:97 '" + playerPath() + "' --steps 3",
                              dir.path());
  EXPECT_EQ(r.code, 0) << r.err;
  std::vector<std::string> err = lines(r.err);
  ASSERT_EQ(err.size(), 1u) << r.err;
  EXPECT_EQ(err[0].rfind("lmplayer: no audio output (", 0), 0u) << err[0];
  EXPECT_EQ(err[0].substr(err[0].size() - 23), "; playing without sound") << err[0];
}

// --watch in process, with the data's signature under the test's control: it
// changes at the fifth poll (step 120) and holds at the sixth (step 150), by
// when the story has gone on from chart three to chart four.
TEST_F(PlayerMessages, WatchRestartsAtTheChartThatWasPlaying) {
  writeMiniStory();
  int polls = 0;
  app::setDataWatchScan([&polls] { return ++polls < 5 ? "before" : "after"; });
  std::vector<std::string> args = {"lmplayer", "--headless", "--steps", "400", "--chart", "3", "--watch",
                                   "--input", "20:enter", "--trace", "t.txt"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  testing::internal::CaptureStderr();
  int code = app::runMain(static_cast<int>(argv.size()), argv.data(), nullptr);
  std::string err = testing::internal::GetCapturedStderr();
  app::setDataWatchScan(nullptr);
  ASSERT_EQ(code, 0) << err;
  EXPECT_EQ(err, "lmplayer: the story's files changed; starting again at chart 4\n");
  std::vector<std::string> trace = lines(slurp("t.txt"));
  ASSERT_EQ(trace.size(), 150u + 400u);
  EXPECT_EQ(trace[149].substr(trace[149].size() - 8), " chart 4") << trace[149];
  EXPECT_EQ(trace[150].rfind("1 game phase ", 0), 0u) << "the story itself at once: " << trace[150];
  EXPECT_EQ(trace[150].substr(trace[150].size() - 8), " chart 4") << trace[150];
  EXPECT_EQ(polls, 6 + 13) << "the new run is polled from its own step 30 on";
}

}  // namespace
}  // namespace lmtest
