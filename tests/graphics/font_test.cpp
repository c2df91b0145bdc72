#include <gtest/gtest.h>

#include <string>

#include "Pf1Bytes.h"
#include "graphics/Font.h"
#include "shell/FileUtils.h"

namespace {

using pf1test::Rgb;

constexpr size_t kFontBytes = 253888;

// A font whose single-byte glyph n has row n%16 fully inked (and nothing else),
// and whose double-byte glyph g has its left column inked on rows 0-15 plus
// the bit pattern of g in row 0's right byte.
lmtest::Bytes makeFont() {
  lmtest::Bytes f(kFontBytes, 0);
  for (int n = 0; n < 256; n++) f[n * 16 + n % 16] = 0xFF;
  for (int g = 0; g < 7806; g++) {
    unsigned char* glyph = &f[4096 + g * 32];
    for (int y = 0; y < 16; y++) glyph[2 * y] = 0x80;
    glyph[1] = static_cast<unsigned char>(g);
  }
  return f;
}

struct FontTest : ::testing::Test {
  lmtest::ScratchDir dir;
  ZegDevice zeg{320, 240, 24};
  const Rgb grey{9, 99, 199};
  const Rgb ink{240, 240, 224};
  void SetUp() override {
    Font::unload();
    pf1test::fill(zeg, grey);
  }
  void TearDown() override { Font::unload(); }
  int inked() const {
    int n = 0;
    for (int y = 0; y < 240; y++)
      for (int x = 0; x < 320; x++) n += !(pf1test::at(zeg, x, y) == grey);
    return n;
  }
};

TEST(FontGlyphIndex, ShiftJisMapsToJisRowAndCell) {
  EXPECT_EQ(Font::glyphIndex(0x8140), 0);
  EXPECT_EQ(Font::glyphIndex(0x8260), 220);
  EXPECT_EQ(Font::glyphIndex(0x82A0), 283);
  EXPECT_EQ(Font::glyphIndex(0x889F), 1410);
  EXPECT_EQ(Font::glyphIndex(0x989F), 4418);
  EXPECT_EQ(Font::glyphIndex(0xE040), 5828);
  EXPECT_EQ(Font::glyphIndex(0xEAA2), 7805);
  EXPECT_EQ(Font::glyphIndex(0x817E), 62);
  EXPECT_EQ(Font::glyphIndex(0x8180), 63);
  // Past the table: row 84 from cell 5, the user-defined area, odd lead bytes.
  EXPECT_EQ(Font::glyphIndex(0xEAA3), -1);
  EXPECT_EQ(Font::glyphIndex(0xF040), -1);
  EXPECT_EQ(Font::glyphIndex(0x8000), -1);
  EXPECT_EQ(Font::glyphIndex(0x10000), -1);
}

TEST_F(FontTest, SingleAndDoubleByteGlyphsAndAdvance) {
  lmtest::writeFile("FONT.FON", makeFont());
  Font font;
  font.left = -1;
  font.right = 320;
  const char text[] = {0x41, static_cast<char>(0x82), static_cast<char>(0xA0), 0};
  font.puts(&zeg, 16, 100, text);
  // Glyph 65 inks row 1 (65 % 16) over x 16..23.
  for (int x = 16; x < 24; x++) EXPECT_EQ(pf1test::at(zeg, x, 101), ink) << x;
  EXPECT_EQ(pf1test::at(zeg, 16, 100), grey);
  // Glyph 283 (0x11B): left column on every row at x 24, and 0x1B in row 0's right byte.
  for (int y = 100; y < 116; y++) EXPECT_EQ(pf1test::at(zeg, 24, y), ink) << y;
  const bool bits[8] = {false, false, false, true, true, false, true, true};
  for (int i = 0; i < 8; i++) EXPECT_EQ(pf1test::at(zeg, 32 + i, 100) == ink, bits[i]) << i;
  EXPECT_EQ(inked(), 8 + 16 + 4);
  // The next character starts at x 40.
  const char more[] = {0x41, static_cast<char>(0x82), static_cast<char>(0xA0), 0x40, 0};
  font.puts(&zeg, 16, 150, more);
  for (int x = 40; x < 48; x++) EXPECT_EQ(pf1test::at(zeg, x, 150), ink) << x;  // glyph 64: row 0
}

TEST_F(FontTest, ClipBandIsExclusive) {
  lmtest::writeFile("FONT.FON", makeFont());
  Font font;
  font.putc(&zeg, 10, 10, 0x40, 128);
  EXPECT_EQ(inked(), 0);  // left = right = 0 draws nothing
  font.left = 11;
  font.right = 16;
  font.putc(&zeg, 10, 10, 0x40, 128);
  EXPECT_EQ(pf1test::at(zeg, 11, 10), grey);
  for (int x = 12; x < 16; x++) EXPECT_EQ(pf1test::at(zeg, x, 10), ink) << x;
  EXPECT_EQ(pf1test::at(zeg, 16, 10), grey);
  EXPECT_EQ(inked(), 4);
}

TEST_F(FontTest, FadeLevelsColourTheInk) {
  lmtest::writeFile("FONT.FON", makeFont());
  Font font;
  font.left = -1;
  font.right = 320;
  font.putc(&zeg, 0, 0, 0x40, 64);
  EXPECT_EQ(pf1test::at(zeg, 0, 0), (Rgb{120, 120, 112}));
  font.putc(&zeg, 0, 0, 0x40, 0);
  EXPECT_EQ(pf1test::at(zeg, 0, 0), (Rgb{0, 0, 0}));
  font.putc(&zeg, 0, 0, 0x40, 255);
  EXPECT_EQ(pf1test::at(zeg, 0, 0), (Rgb{255, 255, 255}));
  font.putc(&zeg, 0, 0, 0x40, 256 + 64);
  EXPECT_EQ(pf1test::at(zeg, 0, 0), (Rgb{120, 120, 112}));
  font.putc(&zeg, 0, 0, 0x40, -192);  // negative levels wrap like their positive residue (64)
  EXPECT_EQ(pf1test::at(zeg, 0, 0), (Rgb{120, 120, 112}));
  font.puts(&zeg, 0, 0, 200, "@");
  const unsigned char* p = zeg.videoMemory;
  EXPECT_EQ(p[2], p[1]);
  EXPECT_GT(p[2], 240);
}

TEST_F(FontTest, StringsEndSafely) {
  lmtest::writeFile("FONT.FON", makeFont());
  Font font;
  font.left = -1;
  font.right = 320;
  font.puts(&zeg, 0, 0, nullptr);
  EXPECT_EQ(inked(), 0);
  // A lead byte right before the terminator draws nothing; the string must
  // not be read past its end (exact-size buffer for the sanitizers).
  std::unique_ptr<char[]> s(new char[3]{0x41, static_cast<char>(0x88), 0});
  font.puts(&zeg, 0, 0, s.get());
  EXPECT_EQ(inked(), 8);
  // Control bytes draw as glyphs; an unmapped double-byte code draws nothing but advances.
  const char odd[] = {0x01, static_cast<char>(0xF0), 0x40, 0x41, 0};
  pf1test::fill(zeg, grey);
  font.puts(&zeg, 0, 40, odd);
  for (int x = 0; x < 8; x++) EXPECT_EQ(pf1test::at(zeg, x, 41), ink);
  for (int x = 24; x < 32; x++) EXPECT_EQ(pf1test::at(zeg, x, 41), ink);
  EXPECT_EQ(inked(), 16);
  font.putc(&zeg, 0, 0, 256, 128);
  font.putc(&zeg, 0, 0, -5, 128);
  EXPECT_EQ(inked(), 16);
}

TEST_F(FontTest, NothingIsWrittenOffScreen) {
  lmtest::writeFile("FONT.FON", makeFont());
  Font font;
  font.left = -1000;
  font.right = 1000;
  font.putc(&zeg, 0, -15, 0x8140, 128);  // only glyph row 15 is on screen
  font.putc(&zeg, -4, 50, 0x8140, 128);   // left column off screen
  EXPECT_EQ(inked(), 1);
  font.putc(&zeg, 316, 230, 0x8140, 128);  // left column on rows 230..239
  EXPECT_EQ(inked(), 11);
  font.putc(&zeg, 400, 100, 0x8140, 128);
  font.putc(&zeg, 0, 5000, 0x8140, 128);
  font.putc(&zeg, -2147483647, -2147483647, 0x8140, 128);
  EXPECT_EQ(inked(), 11);
}

int opens = 0;
void countOpen(const char*, bool) { opens++; }

TEST_F(FontTest, FileIsReadOnceAndRetriedWhileMissing) {
  setOpenObserver(countOpen);
  opens = 0;
  {
    Font missing;
    missing.left = -1;
    missing.right = 320;
    missing.puts(&zeg, 0, 0, "@@@");
    EXPECT_EQ(inked(), 0);  // blank glyphs
  }
  lmtest::writeFile("FONT.FON", makeFont());
  Font first;
  Font second;
  EXPECT_EQ(opens, 2);
  setOpenObserver(nullptr);
}

TEST_F(FontTest, ShortFileKeepsWhatIsThere) {
  lmtest::Bytes f = makeFont();
  f.resize(4096 + 32 * 10);  // glyphs 0-9 only
  lmtest::writeFile("FONT.FON", f);
  Font font;
  font.left = -1;
  font.right = 320;
  font.putc(&zeg, 0, 0, 0x8149, 128);  // glyph 9
  EXPECT_EQ(pf1test::at(zeg, 0, 0), ink);
  pf1test::fill(zeg, grey);
  font.putc(&zeg, 0, 0, 0x814A, 128);  // glyph 10: missing, blank
  EXPECT_EQ(inked(), 0);
}

}  // namespace
