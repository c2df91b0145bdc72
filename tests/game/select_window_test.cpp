// The choice window: construction, cursor movement, panel geometry and items.
#include <string>
#include <vector>

#include "game/SelectWindow.h"
#include "tests/game/GameFixture.h"

using namespace gametest;

namespace {

const Rgb kGrey{128, 128, 128};
const Rgb kFrame{240, 240, 0};
const Rgb kPanel{72, 72, 248};
const Rgb kInk{240, 240, 224};

// Bar colour over grey 128 for gradient value g.
Rgb bar(int g) { return {8 + 240, 8 + 64 + g, 8 + 96 + g}; }

class SelectWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { Font::unload(); }
  void TearDown() override { Font::unload(); }
  std::unique_ptr<SelectWindow> make(std::vector<std::string> texts) {
    strings = std::move(texts);
    ptrs.clear();
    for (std::string& s : strings) ptrs.push_back(s.data());
    return std::make_unique<SelectWindow>(static_cast<int>(ptrs.size()), ptrs.data());
  }
  void redraw(SelectWindow& w) {
    fillScreen(zeg, 128, 128, 128);
    w.draw(&zeg);
  }
  Rgb at(int x, int y) { return pixel(zeg, x, y); }
  lmtest::ScratchDir dir;
  ZegDevice zeg{320, 240, 24};
  std::vector<std::string> strings;
  std::vector<char*> ptrs;
};

TEST_F(SelectWindowTest, FourByteItemGeometry) {
  auto w = make({"abcd", "xy"});
  EXPECT_EQ(w->width, 18);
  EXPECT_EQ(w->left, 142);
  EXPECT_EQ(w->right, 178);
  EXPECT_EQ(w->max, 2);
  EXPECT_EQ(w->item[2], nullptr);
  redraw(*w);
  for (int y : {131, 188}) {
    EXPECT_EQ(at(141, y), kGrey);
    EXPECT_EQ(at(142, y), kFrame);
    EXPECT_EQ(at(177, y), kFrame);
    EXPECT_EQ(at(178, y), kGrey);
  }
  for (int y : {132, 187}) {
    EXPECT_EQ(at(139, y), kGrey);
    EXPECT_EQ(at(140, y), kFrame);
    EXPECT_EQ(at(179, y), kFrame);
    EXPECT_EQ(at(180, y), kGrey);
  }
  for (int y : {133, 186}) {
    EXPECT_EQ(at(140, y), kFrame);
    EXPECT_EQ(at(141, y), kFrame);
    EXPECT_EQ(at(142, y), kPanel);
    EXPECT_EQ(at(177, y), kPanel);
    EXPECT_EQ(at(178, y), kFrame);
    EXPECT_EQ(at(179, y), kFrame);
  }
  for (int y : {134, 136, 153, 185}) {
    SCOPED_TRACE(y);
    EXPECT_EQ(at(138, y), kGrey);
    EXPECT_EQ(at(139, y), kFrame);
    EXPECT_EQ(at(140, y), kFrame);
    EXPECT_EQ(at(141, y), kPanel);
    EXPECT_EQ(at(160, y), kPanel);
    EXPECT_EQ(at(178, y), kPanel);
    EXPECT_EQ(at(179, y), kFrame);
    EXPECT_EQ(at(180, y), kFrame);
    EXPECT_EQ(at(181, y), kGrey);
  }
  EXPECT_EQ(at(160, 130), kGrey);
  EXPECT_EQ(at(160, 189), kGrey);
}

TEST_F(SelectWindowTest, CursorBarRowsAndGradient) {
  auto w = make({"abcd", "b", "c"});
  redraw(*w);
  const int grads[16] = {8, 16, 24, 32, 40, 48, 56, 64, 56, 48, 40, 32, 24, 16, 8, 0};
  for (int i = 0; i < 16; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(at(144, 137 + i), bar(grads[i]));
    EXPECT_EQ(at(175, 137 + i), bar(grads[i]));
    EXPECT_EQ(at(143, 137 + i), kPanel);
    EXPECT_EQ(at(176, 137 + i), kPanel);
  }
  EXPECT_EQ(at(150, 136), kPanel);
  EXPECT_EQ(at(150, 153), kPanel);

  EXPECT_EQ(w->down(), 1);
  EXPECT_EQ(w->down(), 1);
  EXPECT_EQ(w->pos, 2);
  redraw(*w);
  EXPECT_EQ(at(150, 168), kPanel);
  EXPECT_EQ(at(150, 169), bar(8));
  EXPECT_EQ(at(150, 176), bar(64));
  EXPECT_EQ(at(150, 184), bar(0));
  EXPECT_EQ(at(150, 185), kPanel);
  EXPECT_EQ(at(150, 140), kPanel);
}

TEST_F(SelectWindowTest, SixItemsScrollUnderTheBar) {
  auto w = make({"1", "2", "3", "4", "5", "6"});
  EXPECT_EQ(w->up(), 0);
  EXPECT_EQ(w->decide(), 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(w->down(), 1);
  EXPECT_EQ(w->select, 5);
  EXPECT_EQ(w->pos, 2);
  EXPECT_EQ(w->dispPos, 3);
  EXPECT_EQ(w->down(), 0);
  EXPECT_EQ(w->select, 5);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(w->up(), 1);
  EXPECT_EQ(w->select, 2);
  EXPECT_EQ(w->pos, 0);
  EXPECT_EQ(w->dispPos, 2);
  EXPECT_EQ(w->decide(), 2);
}

TEST_F(SelectWindowTest, TwoItems) {
  auto w = make({"ab", "cd"});
  EXPECT_EQ(w->down(), 1);
  EXPECT_EQ(w->pos, 1);
  EXPECT_EQ(w->down(), 0);
  EXPECT_EQ(w->decide(), 1);
}

TEST_F(SelectWindowTest, TwentyByteFirstItem) {
  std::string s;
  for (int i = 0; i < 10; ++i) s += "\x82\xA0";
  auto w = make({s});
  EXPECT_EQ(w->width, 82);
  EXPECT_EQ(w->left, 78);
  EXPECT_EQ(w->right, 242);
}

TEST_F(SelectWindowTest, ItemsAreDrawnFromTheTopVisibleRow) {
  lmtest::writeFile("FONT.FON", tinyFont({{'A', 0, 0x80}, {'B', 1, 0x80}, {'C', 2, 0x80}, {'D', 3, 0x80}}));
  auto w = make({"AAAA", "B", "C", "D"});
  redraw(*w);
  EXPECT_EQ(at(144, 136), kInk);
  EXPECT_EQ(at(143, 136), kPanel);
  EXPECT_EQ(at(144, 153), kInk);  // "B", row 1 of its glyph
  EXPECT_EQ(at(144, 170), kInk);  // "C", row 2
  w->down();
  w->down();
  w->down();  // dispPos 1: B, C, D
  redraw(*w);
  EXPECT_EQ(at(144, 137), kInk);
  EXPECT_EQ(at(144, 171), kInk);
  EXPECT_NE(at(144, 136), kInk);
}

TEST_F(SelectWindowTest, ItemWiderThanTheFirstIsClipped) {
  lmtest::writeFile("FONT.FON", tinyFont({{'W', 0, 0xFF}}));
  auto w = make({"WW", "WWWWWW"});  // width 10: sx 150, ex 170
  redraw(*w);
  EXPECT_EQ(at(152, 152), kInk);
  EXPECT_EQ(at(169, 152), kInk);
  EXPECT_NE(at(170, 152), kInk);
  // The first item's text ends at ex - 3.
  EXPECT_EQ(at(167, 136), kInk);
  EXPECT_NE(at(168, 136), kInk);
}

TEST_F(SelectWindowTest, OutOfRangeCountMakesAnEmptyWindow) {
  for (int n : {0, 7, -1}) {
    SCOPED_TRACE(n);
    std::vector<char*> none(8, nullptr);
    SelectWindow w(n, none.data());
    EXPECT_EQ(w.max, 0);
    EXPECT_EQ(w.up(), 0);
    EXPECT_EQ(w.down(), 0);
    EXPECT_EQ(w.decide(), 0);
    redraw(w);
    EXPECT_EQ(at(160, 131), kGrey);
    EXPECT_EQ(at(160, 140), kGrey);
  }
}

TEST_F(SelectWindowTest, LongItemsAreCutAndAWideWindowIsClippedToTheScreen) {
  std::string longText(80, 'x');
  std::string kana;
  for (int i = 0; i < 30; ++i) kana += "\x82\xA0";
  auto w = make({longText, kana, std::string()});
  EXPECT_EQ(std::string(w->item[0]), std::string(49, 'x'));
  EXPECT_EQ(std::string(w->item[1]).size(), 48u);  // no half character
  EXPECT_STREQ(w->item[2], "");
  EXPECT_EQ(w->width, 198);
  EXPECT_EQ(w->left, -1);
  EXPECT_EQ(w->right, 320);
  redraw(*w);
  EXPECT_EQ(at(0, 131), kFrame);
  EXPECT_EQ(at(319, 131), kFrame);
  EXPECT_EQ(at(0, 134), kPanel);
  EXPECT_EQ(at(319, 185), kPanel);
  EXPECT_EQ(at(0, 137), bar(8));
}

TEST_F(SelectWindowTest, ItemsKeepATruePrefixAndALeadByteBeforeTheNul) {
  const std::string pair = "\x82\xA0";
  auto w = make({"abc\x83", std::string(48, 'a') + "\x83", std::string(48, 'b') + pair + "cd",
                 std::string(47, 'c') + pair + "d"});
  EXPECT_STREQ(w->item[0], "abc\x83");
  EXPECT_EQ(w->width, 4 * 4 + 2);
  EXPECT_EQ(std::string(w->item[1]), std::string(48, 'a') + "\x83");
  EXPECT_EQ(std::string(w->item[2]), std::string(48, 'b')) << "nothing after a character that did not fit";
  EXPECT_EQ(std::string(w->item[3]), std::string(47, 'c') + pair);
}

TEST_F(SelectWindowTest, DrawOnASmallerDeviceStaysInside) {
  lmtest::writeFile("FONT.FON", tinyFont({{'W', 0, 0xFF}}));
  auto w = make({std::string(40, 'W')});
  ZegDevice small(120, 140, 24);
  w->draw(&small);
  EXPECT_EQ(pixel(small, 100, 131), kFrame);
  EXPECT_EQ(pixel(small, 100, 136), kInk);
}

}  // namespace
