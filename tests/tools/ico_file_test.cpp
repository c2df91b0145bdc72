// lmtool ico: PNG icons packed into a Windows .ico as Windows reads it.
#include <gtest/gtest.h>

#include "platform/Png.h"
#include "support/TestSupport.h"
#include "tools/author/ico_file.h"

namespace {

using lmtest::Bytes;

Bytes pngOf(int side) {
  lmtest::ScratchDir dir;
  Bytes pixels(static_cast<size_t>(side * side * 4), 0x80);
  EXPECT_TRUE(platform::writePng("icon.png", side, side, 4, pixels.data()));
  return lmtest::readFile("icon.png");
}

unsigned le16(const Bytes& b, size_t at) { return b[at] | (b[at + 1] << 8); }
unsigned long le32(const Bytes& b, size_t at) { return le16(b, at) | (static_cast<unsigned long>(le16(b, at + 2)) << 16); }

TEST(IcoFile, DirectoryEntriesPointAtEachPngWhole) {
  const Bytes small = pngOf(48), big = pngOf(256);
  Bytes ico;
  std::string error;
  ASSERT_TRUE(author::packIco({small, big}, ico, error)) << error;
  ASSERT_EQ(ico.size(), 6 + 2 * 16 + small.size() + big.size());
  EXPECT_EQ(le16(ico, 0), 0u);
  EXPECT_EQ(le16(ico, 2), 1u) << "an icon";
  EXPECT_EQ(le16(ico, 4), 2u);
  // First entry: 48 x 48, 32 bits, its size and offset.
  EXPECT_EQ(ico[6], 48);
  EXPECT_EQ(ico[7], 48);
  EXPECT_EQ(le16(ico, 6 + 6), 32u);
  EXPECT_EQ(le32(ico, 6 + 8), small.size());
  EXPECT_EQ(le32(ico, 6 + 12), 38u);
  // Second: 256 is written as 0.
  EXPECT_EQ(ico[22], 0);
  EXPECT_EQ(ico[23], 0);
  EXPECT_EQ(le32(ico, 22 + 8), big.size());
  const unsigned long second = le32(ico, 22 + 12);
  EXPECT_EQ(second, 38u + small.size());
  EXPECT_TRUE(std::equal(big.begin(), big.end(), ico.begin() + static_cast<long>(second)));
}

TEST(IcoFile, OnlyPngsOfAtMost256AreTaken) {
  Bytes ico;
  std::string error;
  EXPECT_FALSE(author::packIco({}, ico, error));
  EXPECT_FALSE(author::packIco({Bytes{'n', 'o', 't'}}, ico, error));
  EXPECT_NE(error.find("not a PNG"), std::string::npos) << error;
  Bytes cut = pngOf(48);
  cut.resize(20);
  EXPECT_FALSE(author::packIco({cut}, ico, error)) << "a PNG cut inside its header";
  EXPECT_FALSE(author::packIco({pngOf(257)}, ico, error));
  EXPECT_NE(error.find("at most 256"), std::string::npos) << error;
}

}  // namespace
