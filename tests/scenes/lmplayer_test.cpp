#include "scenes/LmPlayer.h"

#include <cstring>

#include "SceneFixture.h"
#include "game/Game.h"
#include "scenes/Opening.h"
#include "scenes/Select.h"
#include "scenes/Title.h"
#include "sound/Sound.h"

namespace lmtest {
namespace {

using LmPlayerTest = SceneTest;

// Steps until `done` holds, at most `limit` steps; returns the count (or -1).
template <class Done>
int stepUntil(LmPlayer& p, Done done, int limit) {
  for (int i = 1; i <= limit; ++i) {
    EXPECT_EQ(p.main(), 16);
    if (done()) return i;
  }
  return -1;
}

TEST_F(LmPlayerTest, LoadsTheSystemBankNamedBySyspcm) {
  writeText("kirune.ini", "[DOROVANKA]\nSYSPCM=MINE.PCM\n");
  writeFile("MINE.PCM", makeBank({{1, 2}, {3}, {4, 5, 6}}));
  writeFile("SYS01.PCM", makeBank({{1}}));
  LmPlayer p;
  ASSERT_TRUE(p.se);
  EXPECT_EQ(p.se->numMax, 3);
  EXPECT_EQ(openCheck(), 1) << "the bank is opened at construction";
}

TEST_F(LmPlayerTest, DefaultBankAndAMissingBankIsEmpty) {
  writeFile("SYS01.PCM", makeBank({{1}, {2}}));
  {
    LmPlayer p;
    EXPECT_EQ(p.se->numMax, 2);
  }
  std::remove("SYS01.PCM");
  LmPlayer q;
  ASSERT_TRUE(q.se);
  EXPECT_EQ(q.se->numMax, 0);
}

TEST_F(LmPlayerTest, FirstStepOnlyEntersTheOpening) {
  LmPlayer p;
  openCheck();
  EXPECT_EQ(p.phase, 0);
  EXPECT_EQ(p.main(), 16);
  EXPECT_EQ(p.phase, 1);
  EXPECT_FALSE(p.opening);
  EXPECT_EQ(openCheck(), 0);
  EXPECT_EQ(p.main(), 16);
  ASSERT_TRUE(p.opening);
  EXPECT_TRUE(p.opening->pf);
  EXPECT_EQ(openCheck(), 1) << "the second step loads the first logo";
}

TEST_F(LmPlayerTest, SkipStartsWithTheGame) {
  writeText("kirune.ini", "[DOROVANKA]\nSKIP=1\n");
  writeFile("SYS01.PCM", makeBank({{1}, {2}}));
  LmPlayer p;
  EXPECT_EQ(p.phase, 4);
  EXPECT_EQ(p.se->numMax, 2);
  EXPECT_EQ(p.main(), 16);
  EXPECT_TRUE(p.game);
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(p.main(), 16);
    ASSERT_FALSE(p.opening || p.title || p.select);
  }
  EXPECT_EQ(p.phase, 4);
}

TEST_F(LmPlayerTest, SceneFlowWithOneEmptyStepBetweenScenes) {
  LmPlayer p;
  p.main();
  // Opening: the load step, 193 steps of the first logo, 194 of the second.
  int n = stepUntil(p, [&] { return p.phase == 2; }, 1000);
  EXPECT_EQ(n, 1 + 193 + 194);
  EXPECT_FALSE(p.opening);
  EXPECT_FALSE(p.title) << "the next scene is made on the following step";

  // The draw after the finishing step draws nothing: the last picture stays.
  std::memset(zeg.videoMemory + 239L * zeg.bytesPerLine, 0x5A, static_cast<size_t>(zeg.storageStride()) * 240);
  p.draw(&zeg);
  EXPECT_EQ(pixelAt(zeg, 0, 0).r, 0x5A);

  openCheck();
  p.main();
  ASSERT_TRUE(p.title);
  EXPECT_EQ(openCheck(), 1);

  // The title times out 1066 steps after its load and leads back to the opening.
  n = stepUntil(p, [&] { return p.phase != 2; }, 2000);
  EXPECT_EQ(n, 1066);
  EXPECT_EQ(p.phase, 1);
  EXPECT_FALSE(p.title);
  p.main();
  ASSERT_TRUE(p.opening);
  EXPECT_EQ(p.opening->phase, 0);
  EXPECT_EQ(p.opening->fade, 0);

  // Skip the opening during its hold, then Decide on the title.
  stepUntil(p, [&] { return p.opening->fade == 64; }, 100);
  p.main();
  keyAction(VK_RETURN, 1);
  p.main();
  keyAction(VK_RETURN, 0);
  ASSERT_EQ(p.opening->phase, 10);
  stepUntil(p, [&] { return p.phase == 2; }, 100);
  p.main();  // title load
  keyAction(VK_RETURN, 1);
  p.main();
  keyAction(VK_RETURN, 0);
  EXPECT_EQ(playedSounds(), std::vector<int>{SE_DECIDE});
  n = stepUntil(p, [&] { return p.phase == 3; }, 300);
  EXPECT_GT(n, 0);
  EXPECT_FALSE(p.select);
  p.main();
  ASSERT_TRUE(p.select);

  // Select: Decide once keys are accepted, then the story.
  stepUntil(p, [&] { return p.select->phase == 1; }, 200);
  keyAction(VK_SPACE, 1);
  p.main();
  keyAction(VK_SPACE, 0);
  n = stepUntil(p, [&] { return p.phase == 4; }, 200);
  EXPECT_EQ(n, 65);
  EXPECT_FALSE(p.select);
  EXPECT_FALSE(p.game);
  p.main();
  EXPECT_TRUE(p.game);
  EXPECT_EQ(playedSounds(), (std::vector<int>{SE_DECIDE, SE_DECIDE}));
}

TEST_F(LmPlayerTest, KeyWordOutlivesTheScene) {
  // The key word of a scene lasts the whole run: a key held since that
  // scene's last step is not a new press when the scene comes back.
  Select first;
  for (int i = 0; i < 128; ++i) first.main(nullptr);
  keyAction(VK_RETURN, 1);
  first.main(nullptr);
  EXPECT_EQ(first.phase, 2);
  Select second;  // same key word: Decide still down, no edge
  for (int i = 0; i < 129; ++i) second.main(nullptr);
  EXPECT_EQ(second.phase, 1);
}

}  // namespace
}  // namespace lmtest
