// lmtool story explore: every choice path of a story with a known graph, played
// by the player's own Game: a loop, a chart error, an ending, a chart nobody
// reaches and a missing picture.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "MiniStory.h"
#include "game/Game.h"
#include "platform/Notice.h"
#include "shell/FileUtils.h"
#include "tools/author/story_explore.h"

namespace lmtest {
namespace {

// one -(a)-> two -> one (a loop); one -(b)-> three (CHART ERROR 0x82);
// one -(c)-> four (the end, with a missing picture); chart lost is never reached.
const char* kGraphScript =
    "evdir ev\n"
    "start one\n"
    "character 1 hana \"Hana\"\n"
    "chart one -> two three four\n"
    "window open\n"
    "say hana \"Where now?\"\n"
    "text \"\\c\\n\\nPick one.\"\n"
    "choice \"Go a\" \"Go b\" \"Go c\"\n"
    "branch\n"
    "chart two -> one\n"
    "text \"\\cBack again.\"\n"
    "jump\n"
    "chart three\n"
    "text \"\\cBroken.\"\n"
    "raw 0x82\n"
    "chart lost -> four\n"
    "jump\n"
    "chart four\n"
    "image E009\n"
    "text \"\\cThe end.\"\n";

class StoryExplore : public ::testing::Test {
 protected:
  ScratchDir dir;
};

TEST_F(StoryExplore, EveryPathOfAKnownGraph) {
  story::StoryFiles files = writeMiniStory(kGraphScript);
  story::Exploration e;
  std::string error;
  ASSERT_TRUE(story::exploreStory(".", story::ExploreLimits{}, e, error)) << error;

  EXPECT_EQ(e.chartsTotal, 5);
  EXPECT_EQ(e.chartsReached, (std::vector<long>{1, 2, 3, 5}));
  EXPECT_EQ(e.neverReached, (std::vector<long>{4})) << "chart 'lost'";
  EXPECT_EQ(e.endings, (std::vector<long>{5}));
  ASSERT_EQ(e.chartErrors.size(), 1u);
  EXPECT_EQ(e.chartErrors[0].chart, 3);
  EXPECT_EQ(e.chartErrors[0].byte, 0x82);
  ASSERT_GE(e.chartErrors[0].offset, 0);
  EXPECT_EQ(files.event.at(static_cast<size_t>(e.chartErrors[0].offset)), 0x82);
  EXPECT_EQ(e.missingFiles, (std::vector<std::string>{"ev/E009.PF1"}));

  ASSERT_EQ(e.routes.size(), 3u);
  EXPECT_EQ(e.routes[0].choices, (std::vector<int>{0})) << "back in chart one with the same answer: a loop";
  EXPECT_EQ(e.routes[0].end, "loop");
  EXPECT_EQ(e.routes[0].endChart, 1);
  EXPECT_EQ(e.routes[1].choices, (std::vector<int>{1}));
  EXPECT_EQ(e.routes[1].end, "chart-error");
  EXPECT_EQ(e.routes[1].endChart, 3);
  EXPECT_EQ(e.routes[2].choices, (std::vector<int>{2}));
  EXPECT_EQ(e.routes[2].end, "ending");
  EXPECT_EQ(e.routes[2].endChart, 5);
  // Moving the cursor twice and reading one more message takes longer than choosing at once.
  EXPECT_GT(e.routes[2].steps, e.routes[1].steps);
  EXPECT_GT(e.routes[1].steps, 27 + 2 * 2) << "at least the window opening and two messages";
}

TEST_F(StoryExplore, JsonHoldsTheFieldsToolsRead) {
  writeMiniStory(kGraphScript);
  story::Exploration e;
  std::string error;
  ASSERT_TRUE(story::exploreStory(".", story::ExploreLimits{}, e, error)) << error;
  nlohmann::json j = nlohmann::json::parse(story::explorationJson(e));
  EXPECT_EQ(j["charts_total"], 5);
  EXPECT_EQ(j["charts_reached"], nlohmann::json::parse("[1, 2, 3, 5]"));
  EXPECT_EQ(j["chart_errors"][0]["chart"], 3);
  EXPECT_EQ(j["chart_errors"][0]["byte"], 0x82);
  EXPECT_EQ(j["chart_errors"][0]["offset"], e.chartErrors[0].offset);
  EXPECT_EQ(j["missing_files"][0], "ev/E009.PF1");
  ASSERT_EQ(j["routes"].size(), 3u);
  EXPECT_EQ(j["routes"][1]["choices"], nlohmann::json::parse("[1]"));
  EXPECT_EQ(j["routes"][1]["end"], "chart-error");
  EXPECT_EQ(j["routes"][2]["steps"], e.routes[2].steps);
}

TEST_F(StoryExplore, LimitsStopLongRoutesAndManyRoutes) {
  writeMiniStory(kGraphScript);
  story::ExploreLimits limits;
  limits.maxSteps = 40;
  story::Exploration e;
  std::string error;
  ASSERT_TRUE(story::exploreStory(".", limits, e, error)) << error;
  ASSERT_EQ(e.routes.size(), 1u) << "the limit comes before the choice";
  EXPECT_EQ(e.routes[0].end, "limit");
  EXPECT_EQ(e.routes[0].steps, 40);

  limits = story::ExploreLimits{};
  limits.maxRoutes = 2;
  ASSERT_TRUE(story::exploreStory(".", limits, e, error)) << error;
  EXPECT_EQ(e.routes.size(), 2u);
  EXPECT_TRUE(e.cut);
  EXPECT_FALSE(story::exploreStory("nowhere", limits, e, error));
}

// SYSDIR and PCMDIR are the same folder here: the system bank is looked for
// there twice but is one missing file, named the way this system names paths.
TEST_F(StoryExplore, AMissingFileIsListedOnceWithSlashes) {
  writeMiniStory(kGraphScript);
  std::remove("SYS01.PCM");
  story::Exploration e;
  std::string error;
  ASSERT_TRUE(story::exploreStory(".", story::ExploreLimits{}, e, error)) << error;
  EXPECT_EQ(e.missingFiles, (std::vector<std::string>{"SYS01.PCM", "ev/E009.PF1"}));
}

}  // namespace
}  // namespace lmtest

namespace lmtest {
namespace {

bool g_noticeShown = false;
void recordNotice(const char*, const char*) { g_noticeShown = true; }

// The explorer foresees a chart error without letting the player show it;
// for every byte value its forecast must match what the player does.
TEST_F(StoryExplore, ForeseesExactlyThePlayersChartErrors) {
  writeMiniStory("chart one\nwindow open\n");
  const Bytes base = readFile("EVENT.BIN");
  for (int b = 0; b < 256; ++b) {
    Bytes ev = base;
    ev.push_back(static_cast<unsigned char>(b));
    ev.insert(ev.end(), 8, 0x89);  // operands, then nothing more to do
    writeFile("EVENT.BIN", ev);
    story::Exploration e;
    std::string error;
    ASSERT_TRUE(story::exploreStory(".", story::ExploreLimits{}, e, error)) << error;

    // The player itself, with the notice caught.
    fileUtilsReset();
    Game::resetStepState();
    g_noticeShown = false;
    platform::setNoticeBox(&recordNotice);
    testing::internal::CaptureStderr();
    {
      Game g;
      for (int step = 0; step < 200 && g.phase != -1 && !g_noticeShown; ++step) g.main(nullptr);
    }
    testing::internal::GetCapturedStderr();
    platform::setNoticeBox(nullptr);
    EXPECT_EQ(!e.chartErrors.empty(), g_noticeShown) << "byte " << b;
  }
}

}  // namespace
}  // namespace lmtest
