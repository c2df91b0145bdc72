// Animation rules of the story screen that take several steps: the flash's
// levels step by step, and what a speaker line and a new text window do to
// the text already on screen.
#include <string>

#include "tests/game/GameFixture.h"

using namespace gametest;

namespace {

const Rgb kRed{248, 0, 0};

class AnimationTest : public GameTest {
 protected:
  Rgb drawnAt(int x, int y) {
    fillScreen(zeg, 10, 20, 30);
    game->draw(&zeg);
    return pixel(zeg, x, y);
  }
  // Steps until the message wait, then presses Decide (one step) and releases.
  void confirmMessage() {
    ASSERT_GT(stepsUntil(21), 0);
    press(KEY_DECIDE);
    ASSERT_EQ(game->phase, 1);
  }
  std::string line(int i) const { return game->text->data[i]; }
  ZegDevice zeg{320, 240, 24};
};

TEST_F(AnimationTest, FlashAlternatesWhiteAndNormalEveryFourSteps) {
  lmtest::writeFile("E001.PF1", solidPf1(320, 240, 248, 0, 0));
  // Fade to black first: the flash's levels do not depend on where it starts.
  startStream({0x8D, 0, 'E', '0', '0', '1', 0, 0x90, 0, 0x91, 0, 0x89});
  steps(4);
  stepsWhile(16);
  ASSERT_EQ(game->fade, 0);
  steps(2);
  ASSERT_EQ(game->phase, 41);
  // Flash step t (from 0) leaves this level: white at 0 and 8, normal at 4 and 12.
  const int expected[13] = {127, 127, 127, 127, 64, 64, 64, 64, 127, 127, 127, 127, 64};
  for (int t = 0; t < 13; ++t) {
    step();
    ASSERT_EQ(game->phase, 41) << "flash step " << t;
    EXPECT_EQ(game->fade, expected[t]) << "flash step " << t;
  }
  step();  // the fourteenth step ends it
  EXPECT_EQ(game->phase, 1);
  EXPECT_EQ(game->fade, 64);
  step();
  EXPECT_EQ(game->phase, 0x89);
}

TEST_F(AnimationTest, FlashLevelsAreWhatTheScreenShows) {
  lmtest::writeFile("E001.PF1", solidPf1(320, 240, 248, 0, 0));
  startStream({0x8D, 0, 'E', '0', '0', '1', 0, 0x91, 0});
  steps(4);
  ASSERT_EQ(game->phase, 41);
  step();  // t = 0: white
  const Rgb white = drawnAt(100, 100);
  EXPECT_GT(white.g, 200) << white;
  EXPECT_GT(white.b, 200) << white;
  steps(4);  // t = 4: the picture as it is
  EXPECT_EQ(drawnAt(100, 100), kRed);
  steps(4);  // t = 8: white again
  EXPECT_EQ(drawnAt(100, 100), white);
  steps(3);  // t = 11: still white
  EXPECT_EQ(drawnAt(100, 100), white);
  step();  // t = 12: normal for good
  EXPECT_EQ(drawnAt(100, 100), kRed);
}

TEST_F(AnimationTest, SpeakerLineClearsTheTextAlreadyInTheWindow) {
  // Four lines typed into an open window (the first has scrolled away), then
  // a new speaker: the window holds only the speaker's line.
  Bytes c{0x85, 0x81};
  putStrZ(c, "one\\ntwo\\nthree\\nfour");
  c.insert(c.end(), {0x80, 0x02, 0x81});
  putStrZ(c, "five");
  startStream(c);
  confirmMessage();
  ASSERT_EQ(line(0), "two");
  ASSERT_EQ(line(2), "four");
  ASSERT_EQ(game->text->line, 2);
  steps(2);  // fetch and run the speaker line
  EXPECT_EQ(game->phase, 1);
  EXPECT_EQ(line(0), bracketed("Ben"));
  EXPECT_EQ(line(1), "");
  EXPECT_EQ(line(2), "");
  EXPECT_EQ(game->text->line, 1);
  EXPECT_EQ(game->text->row, 0);
  // The window stays as it was (open); the next message starts on line 1.
  EXPECT_EQ(game->text->width, 147);
  ASSERT_GT(stepsUntil(21), 0);
  EXPECT_EQ(line(0), bracketed("Ben"));
  EXPECT_EQ(line(1), "five");
}

TEST_F(AnimationTest, NewTextWindowReplacesAnOpenFilledOneByAClosedEmptyOne) {
  lmtest::writeFile("E001.PF1", solidPf1(320, 240, 248, 0, 0));
  Bytes c{0x8D, 0, 'E', '0', '0', '1', 0, 0x80, 0x01, 0x81};
  putStrZ(c, "hello\\nworld");
  c.insert(c.end(), {0x85, 0x81});
  putStrZ(c, "again");
  startStream(c);
  confirmMessage();
  ASSERT_EQ(game->text->width, 147);
  ASSERT_EQ(line(1), "hello");
  // The open window's frame covers column 8 at row 180.
  EXPECT_EQ(drawnAt(8, 180), (Rgb{192, 192, 0}));

  steps(2);  // fetch 0x85 and run it
  ASSERT_EQ(game->phase, 24);
  ASSERT_NE(game->text, nullptr);
  // No opening step has run yet: the new window is closed and holds no text.
  EXPECT_EQ(game->text->width, 0);
  EXPECT_EQ(game->text->height, 0);
  EXPECT_EQ(game->text->line, 0);
  EXPECT_EQ(game->text->row, 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(line(i), "") << "line " << i;
  // Where the old frame stood, the picture shows again.
  EXPECT_EQ(drawnAt(8, 180), kRed);
  EXPECT_EQ(drawnAt(100, 170), kRed);

  // It opens over the usual 27 steps and the next message starts on line 0.
  EXPECT_EQ(stepsWhile(24), 27);
  EXPECT_EQ(game->text->width, 147);
  ASSERT_GT(stepsUntil(21), 0);
  EXPECT_EQ(line(0), "again");
  EXPECT_EQ(line(1), "");
}

}  // namespace
