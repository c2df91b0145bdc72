// The story screen: background fill, images, transitions, face and fades.
#include "tests/game/GameFixture.h"

using namespace gametest;

namespace {

const Rgb kRed{248, 0, 0};
const Rgb kBlue{0, 0, 248};
const Rgb kGreen{0, 248, 0};
const Rgb kSentinel{10, 20, 30};

class GameDrawTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    lmtest::writeFile("E001.PF1", solidPf1(320, 240, 248, 0, 0));
    lmtest::writeFile("E002.PF1", solidPf1(320, 240, 0, 0, 248));
    lmtest::writeFile("E003.PF1", tallPf1({0, 248, 0}, {0, 0, 248}));
  }
  // Shows E001 at once, then changes to `name` with transition `mode`; stops
  // right after the change executed.
  void startTransition(int mode, const char* name = "E002") {
    startStream({0x8D, 0, 'E', '0', '0', '1', 0, 0x8D, static_cast<unsigned char>(mode), static_cast<unsigned char>(name[0]),
                 static_cast<unsigned char>(name[1]), static_cast<unsigned char>(name[2]),
                 static_cast<unsigned char>(name[3]), 0});
    steps(4);
    ASSERT_EQ(game->phase, 32 + mode);
  }
  Rgb at(int x, int y) { return pixel(zeg, x, y); }
  void redraw() {
    fillScreen(zeg, kSentinel.r, kSentinel.g, kSentinel.b);
    game->draw(&zeg);
  }
  ZegDevice zeg{320, 240, 24};
};

TEST_F(GameDrawTest, NoImageFillsWithGreyOfTheFade) {
  startStream({0x90, 0, 0x90, 2});
  redraw();
  EXPECT_EQ(at(0, 0), (Rgb{128, 128, 128}));
  EXPECT_EQ(at(319, 239), (Rgb{128, 128, 128}));
  steps(2);
  stepsWhile(16);
  redraw();
  EXPECT_EQ(at(160, 120), (Rgb{0, 0, 0}));
  steps(2);
  stepsWhile(18);
  redraw();
  EXPECT_EQ(at(5, 7), (Rgb{254, 254, 254}));
}

TEST_F(GameDrawTest, ShakeWithoutImageShowsThePlainFill) {
  startStream({0x8F, 0});
  steps(3);
  ASSERT_EQ(game->scrX, 5);
  redraw();
  EXPECT_EQ(at(0, 0), (Rgb{128, 128, 128}));
  EXPECT_EQ(at(319, 0), (Rgb{128, 128, 128}));
}

TEST_F(GameDrawTest, ShakeShiftsTheImage) {
  lmtest::writeFile("E004.PF1", [] {
    // Left half red, right half blue.
    std::array<unsigned, 256> pal{};
    pal[1] = colourWord(248, 0, 0);
    pal[2] = colourWord(0, 0, 248);
    std::vector<unsigned char> px(320 * 240);
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) px[static_cast<size_t>(y * 320 + x)] = x < 160 ? 1 : 2;
    return pf1File(320, 240, {pf1Block(px, pal)});
  }());
  startStream({0x8D, 0, 'E', '0', '0', '4', 0, 0x8F, 0});
  steps(5);
  ASSERT_EQ(game->scrX, 5);
  redraw();
  EXPECT_EQ(at(154, 0), kRed);
  EXPECT_EQ(at(155, 0), kBlue);
  step();
  redraw();
  EXPECT_EQ(at(164, 0), kRed);
  EXPECT_EQ(at(165, 0), kBlue);
}

TEST_F(GameDrawTest, ImageIsFadedWithTheGameFade) {
  startStream({0x8D, 0, 'E', '0', '0', '1', 0, 0x90, 0});
  steps(2);
  redraw();
  EXPECT_EQ(at(10, 10), kRed);
  steps(2);
  stepsWhile(16);
  redraw();
  EXPECT_EQ(at(10, 10), (Rgb{0, 0, 0}));
}

TEST_F(GameDrawTest, ModeOneRisesFromTheBottom) {
  startTransition(1);
  step();
  redraw();
  EXPECT_EQ(at(0, 235), kRed);
  EXPECT_EQ(at(0, 236), kBlue);
  steps(58);
  redraw();
  EXPECT_EQ(game->scrY, 4);
  EXPECT_EQ(at(0, 3), kRed);
  EXPECT_EQ(at(0, 4), kBlue);
  step();
  EXPECT_EQ(game->phase, 1);
  redraw();
  EXPECT_EQ(at(0, 0), kBlue);
}

TEST_F(GameDrawTest, ModeTwoSlidesDown) {
  startTransition(2);
  redraw();  // before the first step: offset 240 shows nothing of the new image
  EXPECT_EQ(at(0, 0), kRed);
  step();
  redraw();
  EXPECT_EQ(at(0, 3), kBlue);
  EXPECT_EQ(at(0, 4), kRed);
  steps(58);
  redraw();
  EXPECT_EQ(at(0, 235), kBlue);
  EXPECT_EQ(at(0, 236), kRed);
  step();
  EXPECT_EQ(game->phase, 1);
  redraw();
  EXPECT_EQ(at(0, 239), kBlue);
}

TEST_F(GameDrawTest, ModeThreeSlidesInFromTheLeft) {
  startTransition(3);
  step();
  redraw();
  EXPECT_EQ(at(4, 100), kBlue);
  EXPECT_EQ(at(5, 100), kRed);
  steps(62);
  redraw();
  EXPECT_EQ(at(314, 100), kBlue);
  EXPECT_EQ(at(315, 100), kRed);
  step();
  EXPECT_EQ(game->phase, 1);
  redraw();
  EXPECT_EQ(at(319, 100), kBlue);
}

TEST_F(GameDrawTest, ModeFourSlidesInFromTheRight) {
  startTransition(4);
  step();
  redraw();
  EXPECT_EQ(at(314, 100), kRed);
  EXPECT_EQ(at(315, 100), kBlue);
  steps(62);
  redraw();
  EXPECT_EQ(at(4, 100), kRed);
  EXPECT_EQ(at(5, 100), kBlue);
  step();
  EXPECT_EQ(game->phase, 1);
  redraw();
  EXPECT_EQ(at(0, 100), kBlue);
}

TEST_F(GameDrawTest, ModeFiveGrowsFromTheCentre) {
  startTransition(5);
  step();
  redraw();
  EXPECT_EQ(game->zoom, 6);
  EXPECT_EQ(at(150, 113), kBlue);
  EXPECT_EQ(at(168, 126), kBlue);
  EXPECT_EQ(at(149, 113), kRed);
  EXPECT_EQ(at(169, 126), kRed);
  EXPECT_EQ(at(150, 112), kRed);
  steps(16);
  EXPECT_EQ(game->zoom, 100);
  ASSERT_NE(game->oldPf, nullptr);
  redraw();
  EXPECT_EQ(at(0, 0), kBlue);
  EXPECT_EQ(at(319, 239), kBlue);
  step();
  EXPECT_EQ(game->phase, 1);
}

TEST_F(GameDrawTest, TransitionsIgnoreTheFadeLevel) {
  startStream({0x8D, 0, 'E', '0', '0', '1', 0, 0x90, 0, 0x8D, 3, 'E', '0', '0', '2', 0});
  steps(4);
  stepsWhile(16);
  steps(3);
  ASSERT_EQ(game->phase, 35);
  ASSERT_EQ(game->fade, 0);
  redraw();
  EXPECT_EQ(at(4, 0), kBlue);
  EXPECT_EQ(at(5, 0), kRed);
}

TEST_F(GameDrawTest, ModeSixPansUpFromTheLowerHalf) {
  startTransition(6, "E003");
  step();
  redraw();
  EXPECT_EQ(at(0, 0), kGreen);  // image row 239
  EXPECT_EQ(at(0, 1), kBlue);   // image row 240
  EXPECT_EQ(at(0, 239), kBlue);
  steps(238);
  redraw();
  EXPECT_EQ(game->scrY, 1);
  EXPECT_EQ(at(0, 238), kGreen);
  EXPECT_EQ(at(0, 239), kBlue);
  step();
  EXPECT_EQ(game->phase, 1);
  redraw();
  EXPECT_EQ(at(0, 239), kGreen);
}

TEST_F(GameDrawTest, ModeSevenPansDownAndEndsAtTheTopInThePlainDraw) {
  startTransition(7, "E003");
  step();
  redraw();
  EXPECT_EQ(game->scrY, 1);
  EXPECT_EQ(at(0, 238), kGreen);
  EXPECT_EQ(at(0, 239), kBlue);
  steps(238);
  redraw();
  EXPECT_EQ(at(0, 0), kGreen);
  EXPECT_EQ(at(0, 1), kBlue);
  step();
  EXPECT_EQ(game->phase, 1);
  EXPECT_EQ(game->scrY, 240);
  redraw();
  EXPECT_EQ(at(0, 239), kGreen);
}

TEST_F(GameDrawTest, ModeSixFadesInFromBlack) {
  startStream({0x8D, 0, 'E', '0', '0', '1', 0, 0x90, 0, 0x8D, 6, 'E', '0', '0', '3', 0});
  steps(4);
  stepsWhile(16);
  steps(3);
  ASSERT_EQ(game->fade, 1);
  redraw();
  EXPECT_EQ(at(0, 0).g, 0);  // the lower half, nearly black
  EXPECT_LT(at(0, 0).b, 16);
  steps(63);
  redraw();
  EXPECT_EQ(game->scrY, 240);
  EXPECT_EQ(at(0, 0), kBlue);
}

TEST_F(GameDrawTest, ModeEightLeavesTheBackgroundForItsOneFrame) {
  startTransition(8);
  redraw();
  EXPECT_EQ(at(100, 100), kSentinel);
  step();
  EXPECT_EQ(game->phase, 1);
  redraw();
  EXPECT_EQ(at(100, 100), kBlue);
}

TEST_F(GameDrawTest, TransitionWithoutOldImageDrawsTheNewOneAtOnce) {
  startStream({0x8D, 2, 'E', '0', '0', '2', 0, 0x90, 0});
  steps(2);
  ASSERT_EQ(game->phase, 34);
  ASSERT_EQ(game->oldPf, nullptr);
  step();
  redraw();
  EXPECT_EQ(at(0, 239), kBlue);
  EXPECT_EQ(stepsWhile(34), 59);
}

TEST_F(GameDrawTest, FaceIsDrawnOnItsSideAndNeverFaded) {
  lmtest::writeFile("FACE0100.PF1", solidFace(16, 16, 200, 0, 0));
  lmtest::writeFile("FACE0200.PF1", solidFace(16, 16, 0, 200, 0));
  startStream({0x8C, 1, 1, 0x90, 0, 0x8C, 2, 1});
  steps(2);
  stepsWhile(22);
  redraw();
  EXPECT_EQ(at(29, 113), (Rgb{200, 0, 0}));
  EXPECT_EQ(at(44, 128), (Rgb{200, 0, 0}));
  EXPECT_EQ(at(28, 113), (Rgb{128, 128, 128}));
  EXPECT_EQ(at(45, 128), (Rgb{128, 128, 128}));
  steps(2);
  stepsWhile(16);
  redraw();
  EXPECT_EQ(at(29, 113), (Rgb{200, 0, 0}));
  EXPECT_EQ(at(28, 113), (Rgb{0, 0, 0}));
  steps(2);
  stepsWhile(22);
  EXPECT_EQ(game->face_site, 1);
  redraw();
  EXPECT_EQ(at(277, 113), (Rgb{0, 200, 0}));
  EXPECT_EQ(at(292, 128), (Rgb{0, 200, 0}));
  EXPECT_EQ(at(29, 113), (Rgb{0, 0, 0}));
}

TEST_F(GameDrawTest, LayersAreDrawnBackToFront) {
  Bytes c{0x8D, 0, 'E', '0', '0', '1', 0, 0x84, 0x01};
  putStrZ(c, "AAAA");
  startStream(c);
  steps(4);
  ASSERT_NE(game->select, nullptr);
  redraw();
  // The choice window's panel tints the red picture.
  EXPECT_EQ(at(150, 135), (Rgb{248 / 16 + 64, 64, 240}));
  EXPECT_EQ(at(10, 10), kRed);
}

TEST_F(GameDrawTest, TextWindowFollowsTheFade) {
  startStream({0x85, 0x90, 0});
  steps(2);
  stepsWhile(24);
  redraw();
  EXPECT_EQ(at(8, 180), (Rgb{192, 192, 0}));
  steps(2);
  stepsWhile(16);
  redraw();
  EXPECT_EQ(at(8, 180), (Rgb{0, 0, 0}));
  EXPECT_EQ(at(100, 180), (Rgb{0, 0, 0}));
}

}  // namespace
