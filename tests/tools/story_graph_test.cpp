// lmtool story graph: charts as nodes, successors as edges labelled with the
// chosen answer, unreached charts dashed, endings and chart errors as nodes.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "MiniStory.h"
#include "tools/author/story_graph.h"

namespace lmtest {
namespace {

class StoryGraph : public ::testing::Test {
 protected:
  ScratchDir dir;
};

std::string graphOf(const story::StoryFiles* source) {
  std::string dot, error;
  EXPECT_TRUE(story::storyGraph(".", source, dot, error)) << error;
  return dot;
}

bool has(const std::string& dot, const std::string& line) {
  return dot.find("  " + line + "\n") != std::string::npos;
}

TEST_F(StoryGraph, ChoicesAreLabelledEdgesAndTheEndIsANode) {
  story::StoryFiles files = writeMiniStory();
  std::string dot = graphOf(&files);
  EXPECT_EQ(dot.rfind("digraph story {", 0), 0u);
  EXPECT_TRUE(has(dot, "start -> c1;")) << dot;
  EXPECT_TRUE(has(dot, "c1 [label=\"one\\\\n#1\"];")) << dot;
  EXPECT_TRUE(has(dot, "c1 -> c2 [label=\"Left \"];")) << dot;
  EXPECT_TRUE(has(dot, "c1 -> c3 [label=\"Right\"];")) << dot;
  EXPECT_TRUE(has(dot, "c2 -> c4;")) << dot;
  EXPECT_TRUE(has(dot, "c3 -> c4;")) << dot;
  EXPECT_TRUE(has(dot, "c4 -> end;")) << dot;
  // Without the script the charts go by number.
  EXPECT_TRUE(has(graphOf(nullptr), "c1 [label=\"chart 1\"];"));
}

TEST_F(StoryGraph, UnreachedChartsAndChartErrorsStandOut) {
  std::string script = withLine(kMiniScript, 22, "raw 0x94") + "chart lost -> four\njump\n";
  story::StoryFiles files = writeMiniStory(script);
  std::string dot = graphOf(&files);
  EXPECT_TRUE(has(dot, "c3 [label=\"three\\\\n#3\", color=red];")) << dot;
  EXPECT_TRUE(has(dot, "err3 [shape=octagon, color=red, label=\"CHART ERROR 0x94\"];")) << dot;
  EXPECT_TRUE(has(dot, "c3 -> err3;")) << dot;
  EXPECT_TRUE(has(dot, "c5 [label=\"lost\\\\n#5\", style=dashed, color=gray50, fontcolor=gray50];")) << dot;
  EXPECT_EQ(dot.find("c5 ->"), std::string::npos) << "an unreached chart's successors are not followed";
}

TEST_F(StoryGraph, SvgThroughGraphviz) {
  story::StoryFiles files = writeMiniStory();
  std::string dot = graphOf(&files), error;
  ASSERT_TRUE(story::renderSvg(dot, "story.svg", story::kDefaultDotSeconds, error)) << error;
  std::string svg(reinterpret_cast<const char*>(readFile("story.svg").data()), readFile("story.svg").size());
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find(">Right</text>"), std::string::npos) << "the edge label is drawn";
  EXPECT_FALSE(fileExists("story.svg.tmp"));
  EXPECT_FALSE(story::renderSvg("digraph {", "bad.svg", story::kDefaultDotSeconds, error)) << "dot refuses a broken graph";
  EXPECT_FALSE(fileExists("bad.svg"));
}

// Graphviz writes into a temporary of our own making: a link planted under a
// guessable name leads nowhere, foreign files are left alone, and a target
// that is a link or a device is refused as any output would be.
TEST_F(StoryGraph, SvgOutputFollowsTheOutputRules) {
  story::StoryFiles files = writeMiniStory();
  const std::string dot = graphOf(&files);
  writeText("victim", "precious");
  ASSERT_EQ(::symlink("victim", "out.svg.tmp"), 0);
  writeText("out.svg.dot.tmp", "someone else's");
  std::string error;
  ASSERT_TRUE(story::renderSvg(dot, "out.svg", story::kDefaultDotSeconds, error)) << error;
  const Bytes victim = readFile("victim");
  EXPECT_EQ(std::string(victim.begin(), victim.end()), "precious");
  EXPECT_TRUE(fileExists("out.svg.dot.tmp")) << "a foreign file is not deleted";
  struct stat st;
  EXPECT_EQ(::lstat("out.svg.tmp", &st), 0) << "nor is the planted link";

  ASSERT_EQ(::symlink("victim", "linked.svg"), 0);
  EXPECT_FALSE(story::renderSvg(dot, "linked.svg", story::kDefaultDotSeconds, error));
  EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;
  EXPECT_FALSE(story::renderSvg(dot, "/dev/null/x.svg", story::kDefaultDotSeconds, error));
}

TEST_F(StoryGraph, GraphvizGetsATimeLimit) {
  // A 'dot' that never finishes stands first on PATH.
  makeDirs("bin");
  writeText("bin/dot", "#!/bin/sh\nexec sleep 60\n");
  ::chmod("bin/dot", 0755);
  const char* old = std::getenv("PATH");
  const std::string saved = old ? old : "";
  setenv("PATH", (dir.path() + "/bin:" + saved).c_str(), 1);
  std::string error;
  const bool drawn = story::renderSvg("digraph { a -> b }", "slow.svg", 0.3, error);
  setenv("PATH", saved.c_str(), 1);
  EXPECT_FALSE(drawn);
  EXPECT_NE(error.find("did not finish drawing slow.svg within 0.3 s"), std::string::npos) << error;
  EXPECT_FALSE(fileExists("slow.svg"));
}

}  // namespace
}  // namespace lmtest
