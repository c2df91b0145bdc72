#include <gtest/gtest.h>

#include "Pf1Bytes.h"
#include "graphics/Pf1.h"

namespace {

using pf1test::Bytes;

struct Pic : Pf1 {
  Pic() : Pf1(0, nullptr) {}
  explicit Pic(const Bytes& f) : Pf1(0, nullptr) { loadFromMemory(f.data(), f.size()); }
  void decodeBytes(const Bytes& b, int w, int h) {
    width = w;
    height = h;
    decode(b.data(), static_cast<long>(b.size()));
  }
  std::array<int, 4> px(int i) const { return {data[3 * i], data[3 * i + 1], data[3 * i + 2], mask[i]}; }
};

Bytes twoByOneFile() {
  Bytes stream = {0x81, 0x01, 0x01, 0x00, 0x1F};
  std::array<uint16_t, 256> pal{};
  pal[1] = 0x03E0;
  return pf1test::file(2, 1, {pf1test::block(stream, pal)});
}

TEST(Pf1Decode, TwoByOneFileFromDisk) {
  lmtest::ScratchDir dir;
  Bytes f = twoByOneFile();
  ASSERT_EQ(f.size(), 537u);
  ASSERT_EQ(f[16], 0x00);
  ASSERT_EQ(f[18], 0x02);
  ASSERT_EQ(f[19], 0x05);
  lmtest::writeFile("PIC.PF1", f);
  Pf1 p(0, "PIC.PF1");
  ASSERT_FALSE(p.empty());
  EXPECT_EQ(p.width, 2);
  EXPECT_EQ(p.height, 1);
  EXPECT_EQ(p.r, 2);
  EXPECT_EQ(p.data, (std::vector<unsigned char>{0, 248, 0, 248, 0, 0}));
  EXPECT_EQ(p.mask, (std::vector<signed char>{1, 1}));
}

TEST(Pf1Decode, MissingFileOrNullNameIsEmpty) {
  lmtest::ScratchDir dir;
  Pf1 missing(0, "NONE.PF1");
  EXPECT_TRUE(missing.empty());
  EXPECT_TRUE(missing.mask.empty());
  Pf1 none(0, nullptr);
  EXPECT_TRUE(none.empty());
}

TEST(Pf1Decode, PaletteRunsLiteralsAndColourWords) {
  std::array<uint16_t, 256> pal{};
  pal[5] = 0x001F;
  Pic p;
  p.decodeBytes(pf1test::block({0x83, 0x05}, pal), 3, 1);
  for (int i = 0; i < 3; i++) EXPECT_EQ(p.px(i), (std::array<int, 4>{248, 0, 0, 1}));

  // Literal words: blue, green, opaque black, transparent black.
  Bytes lit = {0x04, 0x7C, 0x00, 0x03, 0xE0, 0x80, 0x00, 0x00, 0x00};
  p.decodeBytes(pf1test::block(lit, {}), 4, 1);
  EXPECT_EQ(p.px(0), (std::array<int, 4>{0, 0, 248, 1}));
  EXPECT_EQ(p.px(1), (std::array<int, 4>{0, 248, 0, 1}));
  EXPECT_EQ(p.px(2), (std::array<int, 4>{0, 0, 0, 1}));
  EXPECT_EQ(p.px(3), (std::array<int, 4>{0, 0, 0, 0}));

  // The same through the palette; bit 15 carries no colour.
  pal[0] = 0x8000;
  pal[1] = 0x0000;
  pal[2] = 0xFFFF;
  p.decodeBytes(pf1test::block({0x81, 0x00, 0x81, 0x01, 0x81, 0x02}, pal), 3, 1);
  EXPECT_EQ(p.px(0), (std::array<int, 4>{0, 0, 0, 1}));
  EXPECT_EQ(p.px(1), (std::array<int, 4>{0, 0, 0, 0}));
  EXPECT_EQ(p.px(2), (std::array<int, 4>{248, 248, 248, 1}));
}

TEST(Pf1Decode, EmptyRunsConsumeTheirBytes) {
  std::array<uint16_t, 256> pal{};
  pal[0x80] = 0x001F;  // would show red if 0x80's operand were taken as a control byte
  pal[7] = 0x03E0;
  Pic p;
  // 0x80 takes one operand byte; 0x00 none; then one pixel of entry 7.
  p.decodeBytes(pf1test::block({0x80, 0x81, 0x00, 0x81, 0x07}, pal), 1, 1);
  EXPECT_EQ(p.px(0), (std::array<int, 4>{0, 248, 0, 1}));
}

TEST(Pf1Decode, RowsContinueAcrossRowEnds) {
  std::array<uint16_t, 256> pal{};
  pal[1] = 0x001F;
  pal[2] = 0x7C00;
  Pic p(pf1test::file(3, 2, {pf1test::block({0x84, 0x01, 0x82, 0x02}, pal)}));
  ASSERT_EQ(p.mask.size(), 6u);
  EXPECT_EQ(p.px(3), (std::array<int, 4>{248, 0, 0, 1}));  // row 1, column 0
  EXPECT_EQ(p.px(4), (std::array<int, 4>{0, 0, 248, 1}));
}

TEST(Pf1Decode, TwoBlocksStackAndOtherCountsUseBlockZero) {
  Bytes top = pf1test::literalBlock(320 * 240, 0x001F);
  Bytes bottom = pf1test::literalBlock(320 * 240, 0x7C00);
  Pic two(pf1test::file(320, 240, {top, bottom}));
  EXPECT_EQ(two.width, 320);
  EXPECT_EQ(two.height, 480);
  EXPECT_EQ(two.r, 576);
  ASSERT_EQ(two.mask.size(), 320u * 480);
  EXPECT_EQ(two.px(320 * 240 - 1), (std::array<int, 4>{248, 0, 0, 1}));
  EXPECT_EQ(two.px(320 * 240), (std::array<int, 4>{0, 0, 248, 1}));

  Pic one(pf1test::file(320, 240, {top}));
  EXPECT_EQ(one.height, 240);
  EXPECT_EQ(one.r, 400);

  Pic three(pf1test::file(320, 240, {top, bottom, bottom}));
  EXPECT_EQ(three.height, 240);
  EXPECT_EQ(three.r, 400);
  EXPECT_EQ(three.px(320 * 240 - 1), (std::array<int, 4>{248, 0, 0, 1}));
}

TEST(Pf1Decode, IgnoredHeaderBytesMayHoldAnything) {
  Bytes f = twoByOneFile();
  for (int i : {0, 1, 2, 3, 4, 5, 10, 11, 14, 15}) f[i] = 0xA5;
  Pic p(f);
  EXPECT_EQ(p.data, (std::vector<unsigned char>{0, 248, 0, 248, 0, 0}));
}

// Damaged files: nothing is read past the file or a block, nothing written
// past width x height; what cannot be decoded stays transparent black.

TEST(Pf1Damage, OverlongStreamIsCutAtThePicture) {
  Pic p;
  p.decodeBytes(pf1test::literalBlock(10, 0x001F), 2, 2);
  ASSERT_EQ(p.data.size(), 12u);
  for (int i = 0; i < 4; i++) EXPECT_EQ(p.px(i)[3], 1);
  std::array<uint16_t, 256> pal{};
  pal[1] = 0x03E0;
  p.decodeBytes(pf1test::block({0xFF, 0x01, 0xFF, 0x01}, pal), 3, 3);
  EXPECT_EQ(p.mask.size(), 9u);
  EXPECT_EQ(p.px(8), (std::array<int, 4>{0, 248, 0, 1}));
}

TEST(Pf1Damage, ShortStreamLeavesTheRestClear) {
  Pic p;
  p.data.assign(3 * 4, 0xEE);
  p.decodeBytes(pf1test::literalBlock(1, 0x001F), 2, 2);
  EXPECT_EQ(p.px(0), (std::array<int, 4>{248, 0, 0, 1}));
  for (int i = 1; i < 4; i++) EXPECT_EQ(p.px(i), (std::array<int, 4>{0, 0, 0, 0}));
}

TEST(Pf1Damage, PacketCutByTheStreamEndStops) {
  std::array<uint16_t, 256> pal{};
  pal[0] = 0x001F;
  Pic p;
  // A literal run promising five words but holding one and a half; then a
  // palette run missing its index byte.
  p.decodeBytes(pf1test::block({0x05, 0x7C, 0x00, 0x03}, pal), 4, 1);
  EXPECT_EQ(p.px(0), (std::array<int, 4>{0, 0, 248, 1}));
  EXPECT_EQ(p.px(1)[3], 0);
  p.decodeBytes(pf1test::block({0x81, 0x00, 0x83}, pal), 4, 1);
  EXPECT_EQ(p.px(0), (std::array<int, 4>{248, 0, 0, 1}));
  EXPECT_EQ(p.px(1)[3], 0);
}

TEST(Pf1Damage, TruncatedFileKeepsTheStreamThatIsThere) {
  Bytes f = pf1test::file(4, 1, {pf1test::literalBlock(4, 0x03E0)});
  // Cut inside the palette, then inside the stream, then inside the size table.
  Bytes cut(f.begin(), f.end() - 300);
  Pic a(cut);
  ASSERT_EQ(a.mask.size(), 4u);
  for (int i = 0; i < 4; i++) EXPECT_EQ(a.px(i), (std::array<int, 4>{0, 248, 0, 1}));
  Bytes cut2(f.begin(), f.begin() + 20 + 1 + 4);  // two words of four
  Pic b(cut2);
  EXPECT_EQ(b.px(1), (std::array<int, 4>{0, 248, 0, 1}));
  EXPECT_EQ(b.px(2)[3], 0);
  Bytes cut3(f.begin(), f.begin() + 18);
  Pic c(cut3);
  EXPECT_EQ(c.width, 4);
  EXPECT_EQ(c.px(0)[3], 0);
  Bytes cut4(f.begin(), f.begin() + 15);
  EXPECT_TRUE(Pic(cut4).empty());
}

TEST(Pf1Damage, LyingBlockSizesStayInsideTheFile) {
  Bytes blk = pf1test::literalBlock(4, 0x001F);
  // Block size far beyond the file: the palette it points to is missing (transparent
  // entries), the literal stream still decodes.
  Pic big(pf1test::file(4, 1, {blk}, 1, {0xFFFFFFF0u}));
  ASSERT_EQ(big.mask.size(), 4u);
  EXPECT_EQ(big.px(3), (std::array<int, 4>{248, 0, 0, 1}));
  // Sizes smaller than a palette: no stream, nothing read before the block.
  Pic tiny(pf1test::file(4, 1, {blk}, 1, {3}));
  ASSERT_EQ(tiny.mask.size(), 4u);
  EXPECT_EQ(tiny.px(0)[3], 0);
  Pic zero(pf1test::file(4, 1, {blk}, 1, {0}));
  EXPECT_EQ(zero.px(0)[3], 0);
  // Second block lies past the end: its half stays clear.
  Pic stacked(pf1test::file(4, 1, {blk}, 2, {static_cast<uint32_t>(blk.size()), 1000}));
  ASSERT_EQ(stacked.height, 2);
  EXPECT_EQ(stacked.px(3)[3], 1);
  EXPECT_EQ(stacked.px(4)[3], 0);
  // Size entries whose sum overflows 32 bits.
  Pic wrap(pf1test::file(4, 1, {blk}, 2, {0xFFFFFFFFu, 0xFFFFFFFFu}));
  EXPECT_EQ(wrap.height, 2);
  // A block count whose size table runs past the file.
  Bytes f = pf1test::file(4, 1, {blk});
  f[12] = 0xFF;
  f[13] = 0xFF;
  Pic many(f);
  EXPECT_EQ(many.height, 1);
}

TEST(Pf1Damage, ZeroOrHugeDimensionsLoadEmpty) {
  Bytes blk = pf1test::literalBlock(1, 0x001F);
  EXPECT_TRUE(Pic(pf1test::file(0, 10, {blk})).empty());
  EXPECT_TRUE(Pic(pf1test::file(10, 0, {blk})).empty());
  EXPECT_TRUE(Pic(pf1test::file(65535, 65535, {blk})).empty());
  EXPECT_TRUE(Pic(pf1test::file(4096, 4097, {blk})).empty());
  EXPECT_TRUE(Pic(pf1test::file(4096, 2049, {blk, blk})).empty());  // too large once stacked
  Pic ok(pf1test::file(4096, 4096, {blk}));
  EXPECT_FALSE(ok.empty());
  EXPECT_EQ(ok.width, 4096);
  EXPECT_TRUE(Pic(pf1test::file(4, 1, {}, 0)).empty());
}

TEST(Pf1Layout, BlocksLieBackToBack) {
  Bytes a = pf1test::literalBlock(2, 1), b = pf1test::literalBlock(3, 2);
  Bytes f = pf1test::file(5, 1, {a, b});
  Pf1Layout l;
  ASSERT_TRUE(parsePf1Layout(f.data(), f.size(), l));
  EXPECT_EQ(l.num, 2);
  EXPECT_EQ(l.offset[0], 24u);
  EXPECT_EQ(l.offset[1], 24u + a.size());
  EXPECT_EQ(l.size[1], b.size());
  EXPECT_TRUE(l.tableComplete);
  EXPECT_FALSE(parsePf1Layout(f.data(), 15, l));

  Pic only1;
  only1.loadBlockFromMemory(f.data(), f.size(), 1);
  EXPECT_EQ(only1.height, 1);
  EXPECT_EQ(only1.px(2)[3], 1);
  only1.loadBlockFromMemory(f.data(), f.size(), 2);
  EXPECT_TRUE(only1.empty());
}

}  // namespace
