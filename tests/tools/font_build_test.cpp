#include <gtest/gtest.h>

#include "graphics/Font.h"
#include "graphics/graphicDevice.h"
#include "support/TestSupport.h"
#include "tools/author/font_builder.h"

namespace {

// Rows of a glyph as strings of '#' and '.'.
std::vector<std::string> rows(const std::vector<unsigned char>& font, size_t offset, int bytesPerRow) {
  std::vector<std::string> out;
  for (int y = 0; y < 16; y++) {
    std::string row;
    for (int x = 0; x < bytesPerRow * 8; x++)
      row += font[offset + y * bytesPerRow + x / 8] & (0x80 >> (x % 8)) ? '#' : '.';
    out.push_back(row);
  }
  return out;
}

class FontBuild : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ok_ = author::buildFont(author::FontSources(), font_, error);
    error_ = error;
  }
  static std::vector<unsigned char> font_;
  static bool ok_;
  static std::string error_;
};
std::vector<unsigned char> FontBuild::font_;
bool FontBuild::ok_ = false;
std::string FontBuild::error_;

TEST_F(FontBuild, LetterAAndKanjiSitInTheirCells) {
  ASSERT_TRUE(ok_) << error_;
  ASSERT_EQ(font_.size(), 253888u);
  // 'A' (single-byte glyph 65): apex on row 1, crossbar on row 9, empty bottom rows.
  auto a = rows(font_, 65 * 16, 1);
  EXPECT_EQ(a[0], "........");
  EXPECT_EQ(a[1], "...#....");
  EXPECT_EQ(a[9], ".#####..");
  EXPECT_EQ(a[13], "#.....#.");
  EXPECT_EQ(a[15], "........");
  // U+4E9C (JIS row 16 cell 1, Shift-JIS 0x889F, glyph 1410).
  ASSERT_EQ(Font::glyphIndex(0x889F), 1410);
  auto k = rows(font_, 4096 + 1410 * 32, 2);
  EXPECT_EQ(k[1], "..##############");
  EXPECT_EQ(k[5], "...###########..");
  EXPECT_EQ(k[14], ".###############");
  EXPECT_EQ(k[15], "................");
  // Half-width katakana 0xB1 is a single-byte glyph too.
  auto kata = rows(font_, 0xB1 * 16, 1);
  EXPECT_EQ(kata[2], "#######.");
  // Row 2 cells 15-25 are unassigned in JIS X 0208 and stay blank.
  for (size_t i = 0; i < 32; i++) EXPECT_EQ(font_[4096 + (94 + 15) * 32 + i], 0) << i;
}

TEST_F(FontBuild, ThePlayerDrawsTheBuiltFont) {
  ASSERT_TRUE(ok_) << error_;
  lmtest::ScratchDir dir;
  std::string error;
  ASSERT_TRUE(author::writeFont(author::FontSources(), "FONT.FON", error)) << error;
  EXPECT_EQ(lmtest::readFile("FONT.FON"), font_);
  Font::unload();
  Font font;
  font.left = -1;
  font.right = 320;
  ZegDevice zeg(320, 240, 24);
  const char text[] = {'A', static_cast<char>(0x88), static_cast<char>(0x9F), 0};
  font.puts(&zeg, 100, 50, text);
  auto ink = [&](int x, int y) { return zeg.videoMemory[y * zeg.bytesPerLine + x * 3 + 2] == 240; };
  EXPECT_TRUE(ink(103, 51));   // apex of A
  EXPECT_FALSE(ink(102, 51));
  EXPECT_TRUE(ink(108 + 2, 51));  // kanji starts at x 108
  EXPECT_FALSE(ink(108 + 1, 51));
  Font::unload();
}

TEST(FontBuildErrors, MissingFontIsAnErrorAndWritesNothing) {
  lmtest::ScratchDir dir;
  author::FontSources s;
  s.kanji = "no-such-font.pcf.gz";
  std::string error;
  EXPECT_FALSE(author::writeFont(s, "FONT.FON", error));
  EXPECT_NE(error.find("no-such-font"), std::string::npos) << error;
  EXPECT_FALSE(lmtest::fileExists("FONT.FON"));
  EXPECT_FALSE(lmtest::fileExists("FONT.FON.tmp"));
}

}  // namespace
