// The lmtool story commands as an author runs them: exit statuses (0 clean,
// 1 problems, 2 bad usage), build's warnings and --strict.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "PlayerRun.h"
#include "tools/MiniStory.h"

namespace lmtest {
namespace {

namespace fs = std::filesystem;

std::string lmtool() { return binaryDir() + "/tools/lmtool"; }

class LmtoolStory : public ::testing::Test {
 protected:
  ScratchDir dir;
  PlayerResult story(const std::string& args) { return runProgram(lmtool(), "story " + args, dir.path()); }
};

TEST_F(LmtoolStory, CheckExitsZeroOneOrTwo) {
  writeMiniStory();
  writeText("story.txt", kMiniScript);
  PlayerResult r = story("check . --script story.txt");
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "0 errors, 0 warnings\n");

  std::remove("ev/E001.PF1");
  r = story("check . --script story.txt");
  EXPECT_EQ(r.code, 1);
  std::vector<std::string> out = lines(r.out);
  ASSERT_EQ(out.size(), 3u) << r.out;
  EXPECT_EQ(out[0].rfind("story.txt:8: error: the picture E001.PF1", 0), 0u) << out[0];
  EXPECT_EQ(out[1].rfind("    make it with 'lmtool pf1 encode", 0), 0u) << out[1];
  EXPECT_EQ(out[2], "1 error, 0 warnings");

  for (const char* bad : {"check", "check . extra", "check . --bogus", "frobnicate .", ""}) {
    r = story(bad);
    EXPECT_EQ(r.code, 2) << bad << ": " << r.err;
  }
}

TEST_F(LmtoolStory, WarningsFailOnlyWhenStrict) {
  writeMiniStory();
  writeText("story.txt", withLine(kMiniScript, 15, "choice \"Left\" \"Right\""));
  PlayerResult r = story("build story.txt .");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err.rfind("story.txt:15: warning: answer 2 (\"Right\") is wider than the first answer", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("0 errors, 1 warning\n"), std::string::npos) << r.err;
  r = story("check .");
  EXPECT_EQ(r.code, 0);
  r = story("check . --strict");
  EXPECT_EQ(r.code, 1);
  r = story("build story.txt . --strict");
  EXPECT_EQ(r.code, 1);

  // A missing file is an error in a build as in a check: the build fails
  // unless --allow-errors; a wide line the compiler already named is not said twice.
  std::remove("ev/E001.PF1");
  writeText("story.txt", withLine(kMiniScript, 21, "text \"\\c" + std::string(40, 'x') + "\""));
  r = story("build story.txt .");
  EXPECT_EQ(r.code, 1) << r.err;
  std::vector<std::string> err = lines(r.err);
  ASSERT_EQ(err.size(), 4u) << r.err;
  EXPECT_EQ(err[0].rfind("story.txt:21: warning: a message line is 40 bytes wide", 0), 0u) << err[0];
  EXPECT_EQ(err[1].rfind("story.txt:8: error: the picture E001.PF1", 0), 0u) << err[1];
  EXPECT_EQ(err[3], "1 error, 0 warnings");
  EXPECT_EQ(story("check .").code, 1);
  r = story("build story.txt . --allow-errors");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(lines(r.err), err);
  EXPECT_TRUE(fileExists("EVENT.BIN"));
  r = story("build story.txt . --strict");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("story.txt:8: error: the picture E001.PF1"), std::string::npos) << r.err;
  EXPECT_EQ(story("build story.txt . --strict --allow-errors").code, 2);
}

// The commands a check suggests work as printed from the folder it ran in,
// the data folder named as the author named it (here with a space).
TEST_F(LmtoolStory, SuggestedCommandsWorkFromTheCurrentFolder) {
  makeDirs("my story");
  fs::current_path("my story");
  writeMiniStory();
  std::remove("FONT.FON");
  std::remove("ev/E001.PF1");
  fs::current_path(dir.path());
  ASSERT_EQ(story("check 'my story'").code, 1);
  ASSERT_EQ(runProgram(lmtool(), "pf1 decode 'my story/LOGO01.PF1' PICTURE.png", dir.path()).code, 0);

  PlayerResult r = story("check 'my story'");
  std::vector<std::string> hints;
  for (const std::string& l : lines(r.out)) {
    size_t at = l.find("'lmtool ");
    if (at != std::string::npos) hints.push_back(l.substr(at + 8, l.rfind('\'') - at - 8));
  }
  ASSERT_EQ(hints.size(), 2u) << r.out;
  EXPECT_EQ(hints[0], "font build \"my story/FONT.FON\"") << r.out;
  EXPECT_EQ(hints[1], "pf1 encode \"my story/ev/E001.PF1\" PICTURE.png") << r.out;
  for (const std::string& h : hints) {
    PlayerResult made = runProgram(lmtool(), h, dir.path());
    EXPECT_EQ(made.code, 0) << h << ": " << made.err;
  }
  r = story("check 'my story'");
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_FALSE(fileExists("FONT.FON")) << "made in the data folder, not here";
}

TEST_F(LmtoolStory, GraphWritesDotOrSvg) {
  writeMiniStory();
  PlayerResult r = story("graph . -o g.dot");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(readFile("g.dot").at(0), 'd');
  r = story("graph . -o g.svg");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(fileExists("g.svg"));
  EXPECT_EQ(story("graph . -o g.png").code, 2);
  EXPECT_EQ(story("graph nowhere -o g.dot").code, 1);
}

// Asking for help is no mistake: the usage on standard output, exit 0.
TEST_F(LmtoolStory, HelpIsAnAnswer) {
  for (const char* args : {"--help", "graph --help"}) {
    PlayerResult r = story(args);
    EXPECT_EQ(r.code, 0) << args << ": " << r.err;
    EXPECT_NE(r.out.find("usage: lmtool story build"), std::string::npos) << args << ": " << r.out;
    EXPECT_EQ(r.err, "") << args;
  }
}

// A story file that only claims to be huge (2 GiB by a hole) is refused in
// one line with exit 2 by every command that reads it, never an abort.
TEST_F(LmtoolStory, AHugeStoryFileIsOneLineAndExitTwo) {
  writeMiniStory();
  fs::resize_file(dir.path() + "/EVENT.BIN", 2ull << 30);
  for (const char* args : {"check .", "graph . -o g.dot", "explore .", "dump . -o d.txt"}) {
    PlayerResult r = story(args);
    EXPECT_EQ(r.code, 2) << args << ": " << r.err;
    EXPECT_EQ(lines(r.err).size(), 1u) << args << ": " << r.err;
    EXPECT_NE(r.err.find("EVENT.BIN is larger than the tools read (16 MiB)\n"), std::string::npos) << args;
  }
  EXPECT_FALSE(fileExists("g.dot"));
}

// Outputs are checked before the story is read or explored.
TEST_F(LmtoolStory, ExploreChecksItsJsonPathBeforeStarting) {
  writeMiniStory();
  PlayerResult r = story("explore . --json missing/out.json");
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_EQ(r.out, "") << "nothing was explored";
  EXPECT_NE(r.err.find("missing"), std::string::npos) << r.err;
}

TEST_F(LmtoolStory, ExploreExitsOneOnAnyProblemAndWritesJson) {
  writeMiniStory();
  PlayerResult r = story("explore . --json out.json");
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("charts reached: 4 of 4 (1 2 3 4)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  route 2: answers 2, "), std::string::npos) << r.out;
  EXPECT_TRUE(r.err.empty()) << r.err;
  std::string json(reinterpret_cast<const char*>(readFile("out.json").data()), readFile("out.json").size());
  EXPECT_NE(json.find("\"charts_total\": 4"), std::string::npos) << json;

  std::remove("ev/E002.PF1");
  r = story("explore .");
  EXPECT_EQ(r.code, 1) << r.out;
  EXPECT_NE(r.out.find("missing files:\n  ev/E002.PF1\n"), std::string::npos) << r.out;
  EXPECT_EQ(story("explore . --max-routes 0").code, 2);
  EXPECT_EQ(story("explore nowhere").code, 1);
}

// The demo passes its own check with no warning, and every chart of it is
// reached by some route without a chart error.
TEST(DemoStoryChecks, CheckIsCleanAndExploreReachesEveryChart) {
  const std::string demo = binaryDir() + "/demo-data";
  ASSERT_TRUE(fileExists(demo + "/kirune.ini")) << "demo-data is not built (target demo_data)";
  ScratchDir dir;
  PlayerResult r = runProgram(lmtool(), "story check '" + demo + "' --strict --script '" + sourceDir() +
                                            "/demo/story/kirune.story'", dir.path());
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "0 errors, 0 warnings\n");

  r = runProgram(lmtool(), "story explore '" + demo + "' --json explore.json", dir.path());
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  nlohmann::json j = nlohmann::json::parse(slurp(dir.path() + "/explore.json"));
  EXPECT_GT(j["charts_total"].get<int>(), 20);
  EXPECT_EQ(j["charts_reached"].size(), j["charts_total"].get<size_t>());
  EXPECT_TRUE(j["charts_never_reached"].empty());
  EXPECT_TRUE(j["chart_errors"].empty()) << j["chart_errors"].dump();
  EXPECT_TRUE(j["missing_files"].empty()) << j["missing_files"].dump();
  // Two languages, two ways to the lighthouse, six things brought, two answers.
  EXPECT_EQ(j["routes"].size(), 2u * 2 * 6 * 2);
  for (const auto& route : j["routes"]) EXPECT_EQ(route["end"], "loop") << "the closing card starts the story again";
}

}  // namespace
}  // namespace lmtest
