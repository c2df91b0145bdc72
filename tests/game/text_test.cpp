// The text window: animation counts, line buffers, frame and glyph drawing.
#include <string>

#include "game/Text.h"
#include "tests/game/GameFixture.h"

using namespace gametest;

namespace {

const Rgb kGrey{128, 128, 128};
const Rgb kA{192, 192, 0};
const Rgb kB{240, 240, 0};
const Rgb kPanel{72, 72, 248};  // grey 128 tinted
const Rgb kInk{240, 240, 224};

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override { Font::unload(); }
  void TearDown() override { Font::unload(); }
  void openFully(Text& t) {
    while (!t.open()) {
    }
  }
  void redraw(Text& t, int fade = 128) {
    fillScreen(zeg, 128, 128, 128);
    t.draw(&zeg, fade);
  }
  Rgb at(int x, int y) { return pixel(zeg, x, y); }
  lmtest::ScratchDir dir;
  ZegDevice zeg{320, 240, 24};
};

TEST_F(TextTest, OpensInTwentySevenCallsAndClosesInTwentySeven) {
  Text t;
  EXPECT_EQ(t.left, 0);
  EXPECT_EQ(t.right, 0);
  int calls = 0, r = 0;
  do {
    r = t.open();
    ++calls;
    if (calls == 1) {
      EXPECT_EQ(t.height, 27);
      EXPECT_EQ(t.width, 0);
    }
    if (calls == 26) {
      EXPECT_EQ(t.width, 150);
      EXPECT_EQ(t.left, 10);
      EXPECT_EQ(t.right, 310);
    }
  } while (!r && calls < 100);
  EXPECT_EQ(calls, 27);
  EXPECT_EQ(t.width, 147);
  EXPECT_EQ(t.left, 13);
  EXPECT_EQ(t.right, 307);
  EXPECT_EQ(t.open(), 1);  // stays open

  calls = 0;
  do {
    r = t.close();
    ++calls;
    if (calls == 25) {
      EXPECT_EQ(t.width, -3);
    }
    if (calls == 26) {
      EXPECT_EQ(t.width, 0);
      EXPECT_EQ(t.height, 0);
    }
  } while (!r && calls < 100);
  EXPECT_EQ(calls, 27);
  EXPECT_EQ(t.left, 160);
  EXPECT_EQ(t.right, 160);
}

TEST_F(TextTest, PrintNextLineScrollAndClear) {
  Text t;
  t.print('a');
  t.print(0x182);  // only the low byte counts
  EXPECT_STREQ(t.data[0], "a\x82");
  EXPECT_EQ(t.row, 2);
  t.println("b");
  EXPECT_STREQ(t.data[0], "a\x82" "b");
  EXPECT_EQ(t.line, 1);
  EXPECT_EQ(t.row, 0);
  t.print('c');
  t.nextLine();
  t.print('d');
  t.nextLine();  // on line 2: scrolls
  EXPECT_STREQ(t.data[0], "c");
  EXPECT_STREQ(t.data[1], "d");
  EXPECT_STREQ(t.data[2], "");
  EXPECT_EQ(t.line, 2);
  EXPECT_EQ(t.row, 0);
  t.print('e');
  EXPECT_STREQ(t.data[2], "e");
  t.clear();
  for (int i = 0; i < 3; ++i) EXPECT_STREQ(t.data[i], "");
  EXPECT_EQ(t.line, 0);
  EXPECT_EQ(t.row, 0);
  t.println("\x81\x79" "N\x81\x7A");
  EXPECT_EQ(t.line, 1);
}

TEST_F(TextTest, BytesPastTheLineBufferAreIgnored) {
  Text t;
  for (int i = 0; i < 400; ++i) t.print('x');
  EXPECT_EQ(t.row, 255);
  EXPECT_EQ(std::string(t.data[0]).size(), 255u);
  EXPECT_STREQ(t.data[1], "");
  t.nextLine();
  t.print('y');
  EXPECT_STREQ(t.data[1], "y");
}

TEST_F(TextTest, OpenFrameRows) {
  Text t;
  openFully(t);
  redraw(t);
  // Top row 161 and bottom row 224: L + 2 .. R - 2 = 10 .. 309.
  for (int y : {161, 224}) {
    SCOPED_TRACE(y);
    EXPECT_EQ(at(9, y), kGrey);
    EXPECT_EQ(at(10, y), kA);
    EXPECT_EQ(at(309, y), kA);
    EXPECT_EQ(at(310, y), kGrey);
  }
  for (int y : {162, 223}) {
    SCOPED_TRACE(y);
    EXPECT_EQ(at(8, y), kGrey);
    EXPECT_EQ(at(9, y), kA);
    EXPECT_EQ(at(10, y), kB);
    EXPECT_EQ(at(309, y), kB);
    EXPECT_EQ(at(310, y), kA);
    EXPECT_EQ(at(311, y), kGrey);
  }
  for (int y : {163, 222}) {
    EXPECT_EQ(at(8, y), kA);
    EXPECT_EQ(at(9, y), kB);
    EXPECT_EQ(at(310, y), kB);
    EXPECT_EQ(at(311, y), kA);
    EXPECT_EQ(at(312, y), kGrey);
  }
  for (int y : {164, 221}) {
    EXPECT_EQ(at(8, y), kA);
    EXPECT_EQ(at(10, y), kB);
    EXPECT_EQ(at(11, y), kA);
    EXPECT_EQ(at(160, y), kA);
    EXPECT_EQ(at(308, y), kA);
    EXPECT_EQ(at(309, y), kB);
    EXPECT_EQ(at(311, y), kA);
  }
  for (int y : {165, 220}) {
    EXPECT_EQ(at(12, y), kA);
    EXPECT_EQ(at(13, y), kPanel);
    EXPECT_EQ(at(306, y), kPanel);
    EXPECT_EQ(at(307, y), kA);
    EXPECT_EQ(at(309, y), kB);
  }
  for (int y : {166, 192, 219}) {
    EXPECT_EQ(at(7, y), kGrey);
    EXPECT_EQ(at(8, y), kA);
    EXPECT_EQ(at(10, y), kB);
    EXPECT_EQ(at(11, y), kA);
    EXPECT_EQ(at(12, y), kPanel);
    EXPECT_EQ(at(307, y), kPanel);
    EXPECT_EQ(at(308, y), kA);
    EXPECT_EQ(at(311, y), kA);
    EXPECT_EQ(at(312, y), kGrey);
  }
  EXPECT_EQ(at(100, 160), kGrey);
  EXPECT_EQ(at(100, 225), kGrey);
}

TEST_F(TextTest, NewWindowIsATenPixelFrame) {
  Text t;
  redraw(t);
  EXPECT_EQ(at(157, 188), kA);
  EXPECT_EQ(at(156, 188), kGrey);
  EXPECT_EQ(at(162, 197), kA);
  EXPECT_EQ(at(163, 197), kGrey);
  EXPECT_EQ(at(155, 190), kA);
  EXPECT_EQ(at(156, 190), kB);
  EXPECT_EQ(at(164, 190), kA);
  EXPECT_EQ(at(154, 190), kGrey);
  EXPECT_EQ(at(165, 190), kGrey);
  EXPECT_EQ(at(160, 187), kGrey);
  EXPECT_EQ(at(160, 198), kGrey);
}

TEST_F(TextTest, FadeLevelsTintTheFrameAndPanel) {
  Text t;
  openFully(t);
  redraw(t, 0);
  EXPECT_EQ(at(8, 180), (Rgb{0, 0, 0}));
  EXPECT_EQ(at(100, 180), (Rgb{0, 0, 0}));
  redraw(t, 256);  // the level wraps at 256
  EXPECT_EQ(at(100, 180), (Rgb{0, 0, 0}));
  redraw(t, 254);
  EXPECT_GT(at(8, 180).b, 200);
  EXPECT_GT(at(100, 180).r, 200);
}

TEST_F(TextTest, GlyphsArePlacedOnTheThreeLinesAndClipped) {
  // Glyph 'A': the leftmost pixel of row 0; glyph 'W': a full row 0.
  lmtest::writeFile("FONT.FON", tinyFont({{'A', 0, 0x80}, {'W', 0, 0xFF}}));
  Text t;
  openFully(t);
  t.print('A');
  t.nextLine();
  t.print('W');
  t.print('A');
  t.nextLine();
  for (int i = 0; i < 40; ++i) t.print('W');
  redraw(t);
  EXPECT_EQ(at(16, 169), kInk);
  EXPECT_EQ(at(17, 169), kPanel);
  EXPECT_EQ(at(16, 170), kPanel);
  EXPECT_EQ(at(16, 185), kInk);
  EXPECT_EQ(at(23, 185), kInk);
  EXPECT_EQ(at(24, 185), kInk);
  EXPECT_EQ(at(25, 185), kPanel);
  // A line longer than the window is cut at column 306.
  EXPECT_EQ(at(306, 201), kInk);
  EXPECT_EQ(at(307, 201), kPanel);
  // Faded ink.
  redraw(t, 0);
  EXPECT_EQ(at(16, 169), (Rgb{0, 0, 0}));
}

TEST_F(TextTest, TextIsClippedToTheOpenPartWhileWidening) {
  lmtest::writeFile("FONT.FON", tinyFont({{'W', 0, 0xFF}}));
  Text t;
  for (int i = 0; i < 10; ++i) t.print('W');
  redraw(t);
  EXPECT_EQ(at(16, 169), kGrey);  // left = right = 0 before opening
  for (int i = 0; i < 20; ++i) t.open();  // width 114: band 46 .. 274
  ASSERT_EQ(t.left, 46);
  redraw(t);
  EXPECT_NE(at(46, 169), kInk);
  EXPECT_EQ(at(47, 169), kInk);
  EXPECT_EQ(at(95, 169), kInk);
  EXPECT_NE(at(96, 169), kInk);
}

TEST_F(TextTest, DrawOnASmallerDeviceStaysInside) {
  lmtest::writeFile("FONT.FON", tinyFont({{'W', 0, 0xFF}}));
  Text t;
  openFully(t);
  for (int i = 0; i < 60; ++i) t.print('W');
  ZegDevice small(100, 180, 24);
  t.draw(&small, 128);
  EXPECT_EQ(pixel(small, 8, 170), kA);
  EXPECT_EQ(pixel(small, 16, 169), kInk);
}

}  // namespace
