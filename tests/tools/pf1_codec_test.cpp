#include <gtest/gtest.h>

#include <cstdlib>

#include "graphics/Pf1.h"
#include "platform/Png.h"
#include "support/TestSupport.h"
#include "tools/author/pf1_codec.h"
#include "tools/author/pf1_commands.h"

namespace {

struct Picture : Pf1 {
  Picture() : Pf1(0, nullptr) {}
  explicit Picture(const std::vector<unsigned char>& file) : Pf1(0, nullptr) { loadFromMemory(file.data(), file.size()); }
};

// An RGBA picture in 15-bit colours: runs of many lengths (some past 127),
// more than 256 colours, transparent pixels (black, alpha 0) and opaque black.
std::vector<unsigned char> testPicture(int w, int h, unsigned seed) {
  std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
  unsigned state = seed;
  auto next = [&state] { return state = state * 1103515245u + 12345u, (state >> 16) & 0x7FFF; };
  size_t i = 0;
  while (i < static_cast<size_t>(w) * h) {
    unsigned kind = next() % 10;
    size_t len = kind < 5 ? 1 + next() % 4 : kind < 9 ? 1 + next() % 40 : 100 + next() % 300;
    unsigned char r = (next() % 32) * 8, g = (next() % 32) * 8, b = (next() % 32) * 8, a = 255;
    if (kind == 3) r = g = b = a = 0;       // transparent
    if (kind == 4) r = g = b = 0;           // opaque black
    for (size_t k = 0; k < len && i < static_cast<size_t>(w) * h; k++, i++) {
      rgba[4 * i] = r;
      rgba[4 * i + 1] = g;
      rgba[4 * i + 2] = b;
      rgba[4 * i + 3] = a;
    }
  }
  return rgba;
}

TEST(Pf1Codec, ColourReduction) {
  const unsigned char px[] = {255, 255, 255, 255,  7, 7, 7, 255,  8, 0, 0, 128,  200, 100, 50, 127,
                              0, 0, 248, 255,      0, 0, 0, 0};
  std::vector<uint16_t> w = author::pf1Words(px, 6);
  EXPECT_EQ(w, (std::vector<uint16_t>{0x7FFF, 0x8000, 0x0001, 0x0000, 0x7C00, 0x0000}));
}

TEST(Pf1Codec, FifteenBitPicturesRoundTripExactly) {
  for (auto [w, h, seed] : {std::tuple{320, 240, 1u}, std::tuple{1, 1, 2u}, std::tuple{127, 3, 3u}, std::tuple{33, 77, 4u}}) {
    std::vector<unsigned char> rgba = testPicture(w, h, seed);
    std::vector<unsigned char> file = author::encodePf1(w, h, {author::pf1Words(rgba.data(), rgba.size() / 4)});
    Picture pic(file);
    ASSERT_EQ(pic.width, w);
    ASSERT_EQ(pic.height, h);
    EXPECT_EQ(author::pf1ToRgba(pic), rgba) << w << "x" << h;
  }
}

TEST(Pf1Codec, LongRunsUsePaletteRunsSplitAt127) {
  std::vector<uint16_t> words(300, 0x001F);
  words.push_back(0x03E0);  // a single: stays literal
  std::vector<unsigned char> block = author::encodePf1Block(words);
  ASSERT_EQ(block.size(), 6u + 3 + 512);
  EXPECT_EQ(block[0], 0xFF);
  EXPECT_EQ(block[1], 0);
  EXPECT_EQ(block[2], 0xFF);
  EXPECT_EQ(block[4], 0x80 | 46);
  EXPECT_EQ(block[6], 1);  // literal run of one word
  EXPECT_EQ(block[7], 0x03);
  EXPECT_EQ(block[8], 0xE0);
  EXPECT_EQ(block[9], 0x00);  // palette entry 0 = 0x001F
  EXPECT_EQ(block[10], 0x1F);
  EXPECT_EQ(block[11], 0x00);  // entry 1 unused
  EXPECT_EQ(block[12], 0x00);
}

TEST(Pf1Codec, PaletteKeepsTheColoursThatSaveMost) {
  // 300 colours, colour k in one run of k + 2 pixels: the 256 longest get palette entries.
  std::vector<uint16_t> words;
  for (uint16_t k = 0; k < 300; k++) words.insert(words.end(), k + 2u, static_cast<uint16_t>(k + 1));
  std::vector<unsigned char> block = author::encodePf1Block(words);
  const unsigned char* pal = block.data() + block.size() - 512;
  EXPECT_EQ((pal[0] << 8) | pal[1], 300);
  EXPECT_EQ((pal[510] << 8) | pal[511], 300 - 255);
  // Colours 1..44 go literal: the stream holds their words.
  author::Pf1StreamReport r = author::walkPf1Stream(block.data(), block.size() - 512);
  EXPECT_EQ(r.pixels, words.size());
  EXPECT_FALSE(r.cutPacket);
  Picture pic(author::encodePf1(static_cast<int>(words.size()), 1, {words}));
  ASSERT_EQ(pic.mask.size(), words.size());
  EXPECT_EQ(pic.data[0], 8);  // colour 1: red 1 * 8
}

TEST(Pf1Commands, EncodeDecodeThroughFiles) {
  lmtest::ScratchDir dir;
  std::vector<unsigned char> a = testPicture(40, 30, 7), b = testPicture(40, 30, 8);
  ASSERT_TRUE(platform::writePng("a.png", 40, 30, 4, a.data()));
  ASSERT_TRUE(platform::writePng("b.png", 40, 30, 4, b.data()));
  std::string error;
  ASSERT_TRUE(author::pf1Encode("TWO.PF1", {"a.png", "b.png"}, error)) << error;
  // The player stacks two blocks.
  Pf1 loaded(0, "TWO.PF1");
  EXPECT_EQ(loaded.height, 60);
  std::vector<unsigned char> both = a;
  both.insert(both.end(), b.begin(), b.end());
  EXPECT_EQ(author::pf1ToRgba(loaded), both);

  ASSERT_TRUE(author::pf1Decode("TWO.PF1", "out.png", -1, error)) << error;
  int w = 0, h = 0;
  std::vector<unsigned char> back;
  ASSERT_TRUE(platform::readPngRgba("out.png", w, h, back));
  EXPECT_EQ(h, 60);
  EXPECT_EQ(back, both);
  ASSERT_TRUE(author::pf1Decode("TWO.PF1", "b1.png", 1, error)) << error;
  ASSERT_TRUE(platform::readPngRgba("b1.png", w, h, back));
  EXPECT_EQ(h, 30);
  EXPECT_EQ(back, b);
  EXPECT_FALSE(author::pf1Decode("TWO.PF1", "b2.png", 2, error));
  EXPECT_NE(error.find("no block 2"), std::string::npos) << error;
  EXPECT_FALSE(lmtest::fileExists("b2.png"));

  std::string report;
  ASSERT_TRUE(author::pf1Info("TWO.PF1", report, error)) << error;
  EXPECT_NE(report.find("40x30, 2 block(s)"), std::string::npos) << report;
  EXPECT_NE(report.find("stream gives 1200 of 1200 pixels"), std::string::npos) << report;
}

TEST(Pf1Commands, MismatchedSizesWriteNothing) {
  lmtest::ScratchDir dir;
  std::vector<unsigned char> a = testPicture(40, 30, 7), b = testPicture(30, 40, 8);
  ASSERT_TRUE(platform::writePng("a.png", 40, 30, 4, a.data()));
  ASSERT_TRUE(platform::writePng("b.png", 30, 40, 4, b.data()));
  std::string error;
  EXPECT_FALSE(author::pf1Encode("BAD.PF1", {"a.png", "b.png"}, error));
  EXPECT_NE(error.find("one size"), std::string::npos) << error;
  EXPECT_FALSE(author::pf1Encode("BAD.PF1", {"a.png", "missing.png"}, error));
  EXPECT_NE(error.find("missing.png"), std::string::npos) << error;
  EXPECT_FALSE(lmtest::fileExists("BAD.PF1"));
  EXPECT_FALSE(lmtest::fileExists("BAD.PF1.tmp"));
  EXPECT_FALSE(author::pf1Encode("dir-that-is-missing/X.PF1", {"a.png"}, error));
}

TEST(Pf1Commands, InfoReportsDamage) {
  lmtest::ScratchDir dir;
  std::vector<unsigned char> a = testPicture(20, 10, 9);
  std::vector<unsigned char> file = author::encodePf1(20, 10, {author::pf1Words(a.data(), 200)});
  std::string report, error;
  lmtest::writeFile("CUT.PF1", std::vector<unsigned char>(file.begin(), file.end() - 100));
  EXPECT_FALSE(author::pf1Info("CUT.PF1", report, error));
  EXPECT_NE(error.find("damaged"), std::string::npos);
  EXPECT_NE(error.find("block 0 declares"), std::string::npos) << error;
  lmtest::writeFile("HDR.PF1", std::vector<unsigned char>(file.begin(), file.begin() + 10));
  EXPECT_FALSE(author::pf1Info("HDR.PF1", report, error));
  EXPECT_NE(error.find("header"), std::string::npos) << error;
  std::vector<unsigned char> lying = file;
  lying[12] = 0x40;  // 16384 blocks: the size table runs past the end
  lmtest::writeFile("LIE.PF1", lying);
  EXPECT_FALSE(author::pf1Info("LIE.PF1", report, error));
  EXPECT_NE(error.find("size table"), std::string::npos) << error;
  std::vector<unsigned char> shortStream = author::encodePf1(20, 11, {author::pf1Words(a.data(), 200)});
  lmtest::writeFile("SHORT.PF1", shortStream);
  EXPECT_FALSE(author::pf1Info("SHORT.PF1", report, error));
  EXPECT_NE(error.find("stops short"), std::string::npos) << error;
  EXPECT_FALSE(author::pf1Info("NONE.PF1", report, error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
  // The decoder still shows what the damaged files hold.
  EXPECT_TRUE(author::pf1Decode("CUT.PF1", "cut.png", -1, error)) << error;
}

}  // namespace
