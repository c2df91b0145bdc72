// No scenario can make one interpreter step run without bound: the worst
// streams for a byte-at-a-time interpreter each cost a bounded amount of
// work per step, and the story either moves on through the file or stops.
#include <cstdio>

#include "tests/game/GameFixture.h"

using namespace gametest;

namespace {

class HangGuardTest : public GameTest {
 protected:
  long position() const { return std::ftell(game->fp.get()); }
};

// A chart whose only instruction jumps back to itself: every step returns,
// alternating between fetching the jump and restarting the chart.
TEST_F(HangGuardTest, ChartThatJumpsToItselfCostsOneStepPerHop) {
  Scenario s;
  s.charts = {{0x83, 0x00}};
  s.links = {{0, 0, 0, 0, 0, 0}};
  start(s);
  const long chartStart = game->chartTable[0];
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(step(), 0) << "step " << i;
    ASSERT_TRUE(game->phase == 0x83 || game->phase == 0) << "step " << i << " phase " << game->phase;
    // Never more than the two bytes of the chart are read in one step.
    ASSERT_GE(position(), chartStart);
    ASSERT_LE(position(), chartStart + 2);
  }
}

// The same loop through chart 1 and its link row, reached by a branch on a
// choice answer: still one hop per step.
TEST_F(HangGuardTest, BranchBackToTheSameChartAfterAChoiceReturnsEachStep) {
  Scenario s;
  s.charts = {{0x89}, {0x83, 0x01}};
  s.links = {{1, 1, 1, 1, 1, 1}};
  s.start = 1;
  start(s);
  Game::stepState().result = 3;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(step(), 0);
    ASSERT_EQ(game->chart, 1);
  }
}

// A chart of nothing but restart bytes: each step seeks the chart start
// and reads one byte.
TEST_F(HangGuardTest, RestartByteLoopsOneByteAStep) {
  startStream({0x00});
  const long chartStart = game->chartTable[0];
  for (int i = 0; i < 500; ++i) {
    ASSERT_EQ(step(), 0);
    ASSERT_EQ(game->phase, 0);
    ASSERT_EQ(position(), chartStart + 1);
  }
}

// Endless 0x01 bytes: one byte per step, so the story walks through them
// and stops at the end of the file.
TEST_F(HangGuardTest, EndlessNoOpFetchesAdvanceOneByteAStepThenStop) {
  const int n = 20000;
  startStream(Bytes(n, 0x01));
  step();  // seeks the chart and fetches its first byte
  long last = position();
  int steps = 1;
  while (game->phase != -1) {
    ASSERT_EQ(step(), 0);
    ++steps;
    if (game->phase != -1) {
      ASSERT_EQ(position(), last + 1);
      last = position();
    }
    ASSERT_LE(steps, n + 1);
  }
  EXPECT_EQ(steps, n + 1);
  EXPECT_EQ(step(), -1);
}

// Streams that end inside a message, a lone lead byte, an escape or an
// operand: the story stops in a step or two instead of reading on.
TEST_F(HangGuardTest, StreamsEndingMidMessageStop) {
  const Bytes cases[] = {
      {0x81, 'a', 'b'},          // message without its NUL
      {0x81, 0x82},              // lead byte without its trail byte
      {0x81, 0x5C},              // escape without its letter
      {0x81},                    // message with no text at all
      {0x80, 0xFF, 'n', 'a'},    // inline speaker name without its NUL
      {0x84, 0x03, 'a', 0x00},   // choice with fewer texts than items
      {0x87, 'A', 'B'},          // voice bank name cut short
      {0x8D, 0x02, 'E', '0'},    // image name cut short
      {0x8C, 0x01},              // face without its expression
      {0x93},                    // wait without its count
  };
  for (const Bytes& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c));
    Game::resetStepState();
    startStream(c);
    int steps = 0;
    while (game->phase != -1 && steps < 20) {
      step();
      ++steps;
    }
    EXPECT_EQ(game->phase, -1);
    EXPECT_LE(steps, 4);
    EXPECT_EQ(step(), -1);
  }
}

// A long message is typed eight units a step: the step count grows with
// the text, never the work of one step.
TEST_F(HangGuardTest, LongMessageIsTypedEightUnitsAStep) {
  Bytes c{0x81};
  c.insert(c.end(), 4000, 'x');
  c.push_back(0x00);
  startStream(c);
  steps(2);
  ASSERT_EQ(game->phase, 32);
  long before = position();
  int typing = 0;
  while (game->phase == 32) {
    step();
    ++typing;
    ASSERT_LE(position() - before, 8);
    before = position();
  }
  EXPECT_EQ(game->phase, 21);
  EXPECT_EQ(typing, 4001 / 8 + 1);
}

// The longest timed wait and the effects with counters end by themselves.
TEST_F(HangGuardTest, LongestWaitAndEffectsEndOnTheirOwn) {
  startStream({0x93, 0xFF, 0x8F, 0x01, 0x91, 0x00, 0x90, 0x02, 0x90, 0x03, 0x89});
  EXPECT_NE(runToFetch(0x89, 1000), -1);
}

}  // namespace
