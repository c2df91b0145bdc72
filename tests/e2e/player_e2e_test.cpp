// The real lmplayer binary, headless, over small data made byte by byte:
// the screens' timelines and sounds, SKIP and the chart error, shots, the
// data directory and the command line's errors.
#include <gtest/gtest.h>

#include <filesystem>

#include "PlayerRun.h"
#include "scenes/TestData.h"

namespace lmtest {
namespace {

namespace fs = std::filesystem;

// Clip 1 (decide) is a constant positive level, clip 2 (cursor) a negative one.
Bytes systemBank() {
  return makeBank({{0}, std::vector<signed char>(1102, 100), std::vector<signed char>(1102, -100)});
}

void writeScreens() {
  writeScreenPictures();
  writeFile("SYS01.PCM", systemBank());
  writeText("kirune.ini", "[DOROVANKA]\nSYSDIR=.\\\nPCMDIR=.\\\n");
}

// Player steps, counting from 1: step 1 only enters the opening, step 2 loads
// the first logo, the opening ends on step 2 + 193 + 194, the title loads on
// the next step.
constexpr long kLogo1 = 2;
constexpr long kTitle = kLogo1 + 193 + 194 + 1;

class PlayerE2E : public ::testing::Test {
 protected:
  ScratchDir dir;
};

TEST_F(PlayerE2E, ScreensTimelineShotsAndSounds) {
  writeScreens();
  const long decideTitle = kTitle + 70;
  const long selectLoad = decideTitle + 64 + 2;  // fade to white, finish, then the select screen
  const long cursor = selectLoad + 140;
  const long decideSelect = selectLoad + 180;
  const long steps = decideSelect + 70;
  std::string args = "--headless --steps " + std::to_string(steps) + " --trace trace.txt --audio-out out.wav" +
                     " --input " + std::to_string(decideTitle) + ":enter," + std::to_string(cursor) + ":down," +
                     std::to_string(decideSelect) + ":space" + " --shot " + std::to_string(kLogo1 + 64) +
                     ":logo1.png --shot " + std::to_string(kLogo1 + 193) + ":logo2.png --shot " +
                     std::to_string(kTitle + 64) + ":title.png --shot " + std::to_string(cursor) + ":select.png";
  PlayerResult r = runPlayer(args, dir.path());
  ASSERT_EQ(r.code, 0) << r.err;

  // Pictures: first logo plain, second logo first drawn near white, title plain.
  EXPECT_TRUE(readShot("logo1.png").uniform(248, 0, 0));
  Shot logo2 = readShot("logo2.png");
  ASSERT_TRUE(logo2.ok);
  EXPECT_EQ(logo2.width, 320);
  EXPECT_EQ(logo2.height, 240);
  std::vector<int> p = logo2.at(160, 120);
  EXPECT_GE(p[0], 240);
  EXPECT_GE(p[1], 240);
  EXPECT_GE(p[2], 240);
  EXPECT_TRUE(readShot("title.png").uniform(0, 0, 248));
  Shot select = readShot("select.png");
  ASSERT_TRUE(select.ok);
  EXPECT_EQ(select.at(10, 200), (std::vector<int>{0, 0, 0})) << "opaque foreground";
  std::vector<int> top = select.at(10, 0);
  EXPECT_TRUE(top == (std::vector<int>{248, 0, 0}) || top == (std::vector<int>{0, 0, 248})) << "background shows";

  // Trace: one line per step, the scene that ran it, the story at the end.
  std::vector<std::string> trace = lines(slurp("trace.txt"));
  ASSERT_EQ(trace.size(), static_cast<size_t>(steps));
  EXPECT_EQ(trace[0], "1 start");
  EXPECT_EQ(trace[1], "2 opening");
  EXPECT_EQ(trace[kTitle - 2], std::to_string(kTitle - 1) + " opening");
  EXPECT_EQ(trace[kTitle - 1], std::to_string(kTitle) + " title");
  EXPECT_EQ(trace[selectLoad - 1], std::to_string(selectLoad) + " select");
  EXPECT_EQ(trace[selectLoad - 2], std::to_string(selectLoad - 1) + " title") << "the title's last step";
  EXPECT_EQ(trace.back().rfind(std::to_string(steps) + " game phase ", 0), 0u) << trace.back();

  // Sounds: decide on the title, the cursor, decide on the select screen, in
  // that order and each after the step that played it.
  Wav wav = readWav("out.wav");
  EXPECT_EQ(wav.rate, 44100);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.bits, 16);
  std::vector<Onset> on = onsets(wav);
  ASSERT_EQ(on.size(), 3u);
  EXPECT_EQ(on[0].sign, 1);
  EXPECT_EQ(on[1].sign, -1);
  EXPECT_EQ(on[2].sign, 1);
  const double stepMs = 16;
  const long played[3] = {decideTitle, cursor, decideSelect};
  for (int i = 0; i < 3; ++i) {
    EXPECT_GT(on[i].ms, played[i] * stepMs - 1) << "sound " << i;
    EXPECT_LT(on[i].ms, played[i] * stepMs + 600) << "sound " << i;
  }
}

TEST_F(PlayerE2E, TitleTimesOutBackToTheOpening) {
  writeScreens();
  const long timeout = kTitle + 1066;
  PlayerResult r = runPlayer("--headless --steps " + std::to_string(timeout + 3) + " --trace t.txt --shot " +
                                 std::to_string(timeout) + ":end.png --audio-out a.wav",
                             dir.path());
  ASSERT_EQ(r.code, 0) << r.err;
  std::vector<std::string> trace = lines(slurp("t.txt"));
  ASSERT_EQ(trace.size(), static_cast<size_t>(timeout + 3));
  EXPECT_EQ(trace[timeout - 1], std::to_string(timeout) + " title");
  EXPECT_EQ(trace[timeout], std::to_string(timeout + 1) + " opening");
  EXPECT_TRUE(readShot("end.png").uniform(0, 0, 0));
  EXPECT_TRUE(onsets(readWav("a.wav")).empty()) << "no key, no sound";
}

TEST_F(PlayerE2E, DecideDuringTheLogoHoldSkipsIt) {
  writeScreens();
  // Decide on logo step 65 fades to black over 64 steps and ends the opening.
  const long press = kLogo1 + 65;
  PlayerResult r = runPlayer("--headless --steps " + std::to_string(press + 70) + " --trace t.txt --input " +
                                 std::to_string(press) + ":kp8," + std::to_string(press) + ":enter",
                             dir.path());
  ASSERT_EQ(r.code, 0) << r.err;
  std::vector<std::string> trace = lines(slurp("t.txt"));
  EXPECT_EQ(trace[press + 64], std::to_string(press + 65) + " opening");
  EXPECT_EQ(trace[press + 65], std::to_string(press + 66) + " title");
}

// A story whose only chart starts with the undefined instruction 0x82.
void writeBrokenStory() {
  Bytes event;
  put32(event, 16);  // chart table at 0: chart 0 at offset 16
  for (int i = 0; i < 6; ++i) put16(event, 0);  // link table at 4
  event.push_back(0x82);
  writeFile("EVENT.BIN", event);
  writeFile("ASTARTUP.BIN", {});
  writeFile("SYS01.PCM", systemBank());
  writeText("kirune.ini", "[DOROVANKA]\nSKIP=1\nCHART=0\nLINK=4\nMAX=1\nSTART=0\nCHAR=0\n");
}

TEST_F(PlayerE2E, SkipGoesStraightToTheStoryAndAChartErrorIsReported) {
  writeBrokenStory();
  PlayerResult r = runPlayer("--headless --steps 20 --trace t.txt --shot 20:story.png", dir.path());
  EXPECT_EQ(r.code, 0);
  std::vector<std::string> err = lines(r.err);
  ASSERT_EQ(err.size(), 2u) << r.err;
  EXPECT_EQ(err[0], "ERROR: CHART ERROR 0x82");
  EXPECT_EQ(err[1], "lmplayer: the chart error is in chart 0 at EVENT.BIN offset 0x10") << "where the byte lies";
  std::vector<std::string> trace = lines(slurp("t.txt"));
  ASSERT_EQ(trace.size(), 20u);
  EXPECT_EQ(trace[0], "1 game phase 130 chart 0") << "fetched 0x82";
  EXPECT_EQ(trace[1], "2 game phase -1 chart 0") << "stopped by the error";
  EXPECT_EQ(trace[19], "20 game phase -1 chart 0");
  EXPECT_TRUE(readShot("story.png").ok);
  EXPECT_TRUE(fileExists("error.log"));
  EXPECT_TRUE(readFile("error.log").empty());
}

TEST_F(PlayerE2E, DataDirectoryOptionAndDemoDataBesideTheProgram) {
  makeDirs("story");
  makeDirs("elsewhere");
  {
    // The story's files, written inside its own directory.
    fs::current_path("story");
    writeScreens();
    fs::current_path("..");
  }
  PlayerResult r = runPlayer("--headless --steps 66 --data ../story --shot 66:s.png", dir.path() + "/elsewhere");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(readShot("elsewhere/s.png").uniform(248, 0, 0)) << "shots are relative to the start directory";
  EXPECT_FALSE(fileExists("story/s.png"));

  // A copy of the program with "demo-data" beside it finds it from anywhere.
  makeDirs("bin");
  fs::copy_file(playerPath(), "bin/lmplayer");
  fs::rename("story", "bin/demo-data");
  r = runProgram(dir.path() + "/bin/lmplayer", "--headless --steps 66 --shot 66:d.png", dir.path() + "/elsewhere");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(readShot("elsewhere/d.png").uniform(248, 0, 0));

  // A kirune.ini in the working directory wins over the demo data.
  writeText("elsewhere/kirune.ini", "[DOROVANKA]\n");
  writeFile("elsewhere/LOGO01.PF1", makeSolidPf1(kGreen));
  r = runProgram(dir.path() + "/bin/lmplayer", "--headless --steps 66 --shot 66:h.png", dir.path() + "/elsewhere");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(readShot("elsewhere/h.png").uniform(0, 248, 0));
}

TEST_F(PlayerE2E, CommandLineErrorsExitWith2AndOneLine) {
  const char* bad[] = {
      "--bogus",
      "--steps",
      "--steps 0",
      "--steps 12x",
      "--steps -5",
      "--headless",
      "--scale 9",
      "--scale 0",
      "--input 5:jump",
      "--input 5enter",
      "--input 0:enter",
      "--shot 5",
      "--shot x:a.png",
      "--audio-out a.wav --steps 5",
      "--help=yes",
  };
  for (const char* args : bad) {
    PlayerResult r = runPlayer(args, dir.path());
    EXPECT_EQ(r.code, 2) << args;
    std::vector<std::string> err = lines(r.err);
    EXPECT_EQ(err.size(), 1u) << args << ": " << r.err;
    if (!err.empty()) {
      EXPECT_EQ(err[0].rfind("lmplayer: ", 0), 0u) << err[0];
    }
  }
  PlayerResult help = runPlayer("--help", dir.path());
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("--headless"), std::string::npos);
  PlayerResult version = runPlayer("--version", dir.path());
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out.rfind("lmplayer ", 0), 0u);
}

}  // namespace
}  // namespace lmtest
