// lmtool icon: the square cut and the area-weighted scaling.
#include <gtest/gtest.h>

#include <array>

#include "platform/Png.h"
#include "support/TestSupport.h"
#include "tools/author/icon.h"

namespace {

using Rgba = std::vector<unsigned char>;

struct Picture {
  int w, h;
  Rgba px;
  Picture(int width, int height, std::array<unsigned char, 4> fill) : w(width), h(height) {
    for (int i = 0; i < w * h; ++i) px.insert(px.end(), fill.begin(), fill.end());
  }
  void set(int x, int y, std::array<unsigned char, 4> c) { std::copy(c.begin(), c.end(), &px[(y * w + x) * 4]); }
};

std::array<unsigned char, 4> at(const Rgba& icon, int size, int x, int y) {
  const unsigned char* p = &icon[(y * size + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

TEST(Icon, WholeCellsKeepTheirColoursAndMixedCellsAverage) {
  Picture pic(4, 4, {0, 0, 0, 255});
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) pic.set(x, y, {200, 10, 20, 255});  // top-left quadrant
  pic.set(2, 2, {100, 100, 100, 255});                            // one of four in the bottom-right
  Rgba icon;
  std::string error;
  ASSERT_TRUE(author::scaleIcon(pic.px, pic.w, pic.h, {}, 2, icon, error)) << error;
  EXPECT_EQ(at(icon, 2, 0, 0), (std::array<unsigned char, 4>{200, 10, 20, 255}));
  EXPECT_EQ(at(icon, 2, 1, 0), (std::array<unsigned char, 4>{0, 0, 0, 255}));
  EXPECT_EQ(at(icon, 2, 1, 1), (std::array<unsigned char, 4>{25, 25, 25, 255}));
}

TEST(Icon, FractionalCellsWeighSourcePixelsByCoveredArea) {
  // 3 -> 2: icon pixel (0,0) covers source [0,1.5)^2, so source (1,1) counts a quarter of 2.25.
  Picture pic(3, 3, {0, 0, 0, 255});
  pic.set(1, 1, {90, 180, 225, 255});
  Rgba icon;
  std::string error;
  ASSERT_TRUE(author::scaleIcon(pic.px, pic.w, pic.h, {}, 2, icon, error)) << error;
  EXPECT_EQ(at(icon, 2, 0, 0), (std::array<unsigned char, 4>{10, 20, 25, 255}));
  EXPECT_EQ(at(icon, 2, 1, 1), (std::array<unsigned char, 4>{10, 20, 25, 255}));
}

TEST(Icon, TransparentPixelsLendNoColourOnlyLessCover) {
  Picture pic(2, 2, {255, 0, 0, 0});  // invisible red
  pic.set(0, 0, {0, 0, 255, 255});
  pic.set(1, 1, {0, 0, 255, 255});
  Rgba icon;
  std::string error;
  ASSERT_TRUE(author::scaleIcon(pic.px, pic.w, pic.h, {}, 1, icon, error)) << error;
  EXPECT_EQ(at(icon, 1, 0, 0), (std::array<unsigned char, 4>{0, 0, 255, 128}));
}

TEST(Icon, DefaultCropIsTheCentredSquareAndAGivenCropIsHonoured) {
  Picture pic(6, 4, {0, 255, 0, 255});
  for (int y = 0; y < 4; ++y) {
    pic.set(0, y, {255, 0, 0, 255});
    pic.set(5, y, {255, 0, 0, 255});
  }
  Rgba icon;
  std::string error;
  ASSERT_TRUE(author::scaleIcon(pic.px, pic.w, pic.h, {}, 4, icon, error)) << error;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(at(icon, 4, x, y)[0], 0) << x << "," << y;
  ASSERT_TRUE(author::scaleIcon(pic.px, pic.w, pic.h, {4, 2, 2}, 2, icon, error)) << error;
  EXPECT_EQ(at(icon, 2, 0, 0), (std::array<unsigned char, 4>{0, 255, 0, 255}));
  EXPECT_EQ(at(icon, 2, 1, 1), (std::array<unsigned char, 4>{255, 0, 0, 255}));
}

TEST(Icon, CropsOutsideThePictureAndBadSizesAreRefused) {
  Picture pic(6, 4, {0, 0, 0, 255});
  Rgba icon;
  std::string error;
  EXPECT_FALSE(author::scaleIcon(pic.px, pic.w, pic.h, {3, 0, 4}, 2, icon, error));
  EXPECT_NE(error.find("does not lie inside"), std::string::npos) << error;
  EXPECT_FALSE(author::scaleIcon(pic.px, pic.w, pic.h, {0, 1, 4}, 2, icon, error));
  EXPECT_FALSE(author::scaleIcon(pic.px, pic.w, pic.h, {-1, 0, 2}, 2, icon, error));
  EXPECT_FALSE(author::scaleIcon(pic.px, pic.w, pic.h, {}, 0, icon, error));
  EXPECT_FALSE(author::scaleIcon(pic.px, pic.w, 5, {}, 2, icon, error)) << "more rows than pixels given";
}

TEST(Icon, FileToFileThroughPng) {
  lmtest::ScratchDir dir;
  Picture pic(8, 8, {40, 80, 120, 255});
  ASSERT_TRUE(platform::writePng("in.png", pic.w, pic.h, 4, pic.px.data()));
  std::string error;
  ASSERT_TRUE(author::makeIcon("in.png", "out.png", {}, 4, error)) << error;
  int w = 0, h = 0;
  Rgba back;
  ASSERT_TRUE(platform::readPngRgba("out.png", w, h, back));
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 4);
  EXPECT_EQ(at(back, 4, 3, 3), (std::array<unsigned char, 4>{40, 80, 120, 255}));
  EXPECT_FALSE(author::makeIcon("missing.png", "x.png", {}, 4, error));
  EXPECT_NE(error.find("missing.png"), std::string::npos);
  EXPECT_FALSE(lmtest::fileExists("x.png"));
}

}  // namespace
