#include <gtest/gtest.h>

#include "Pf1Bytes.h"
#include "graphics/Pf1.h"

namespace {

using pf1test::Rgb;

// A picture whose pixel (x, y) is (x, y, x ^ y) (mod 256), with mask from `opaque`.
struct Pattern : Pf1 {
  template <class F>
  Pattern(int w, int h, F opaque) : Pf1(0, nullptr) {
    width = w;
    height = h;
    data.resize(static_cast<size_t>(w) * h * 3);
    mask.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        size_t i = static_cast<size_t>(y) * w + x;
        bool on = opaque(x, y);
        mask[i] = on;
        data[3 * i] = on ? x & 0xFF : 0;
        data[3 * i + 1] = on ? y & 0xFF : 0;
        data[3 * i + 2] = on ? (x ^ y) & 0xFF : 0;
      }
  }
  Pattern(int w, int h) : Pattern(w, h, [](int, int) { return true; }) {}
  static Rgb colour(int x, int y) { return {x & 0xFF, y & 0xFF, (x ^ y) & 0xFF}; }
};

struct Screen : ::testing::Test {
  ZegDevice zeg{320, 240, 24};
  const Rgb grey{7, 77, 177};
  void SetUp() override { pf1test::fill(zeg, grey); }
  int changed() const {
    int n = 0;
    for (int y = 0; y < 240; y++)
      for (int x = 0; x < 320; x++) n += !(pf1test::at(zeg, x, y) == grey);
    return n;
  }
};

struct FadeLut : Fade {
  static int at(int cl, int level) { return fadeTable[cl][level]; }
};

TEST_F(Screen, PlainDrawCopiesEveryPixelInScreenByteOrder) {
  Pattern p(320, 240, [](int x, int y) { return (x + y) % 3 != 0; });
  p.draw(&zeg);
  for (int y = 0; y < 240; y++)
    for (int x = 0; x < 320; x++) {
      Rgb want = (x + y) % 3 ? Pattern::colour(x, y) : Rgb{0, 0, 0};
      ASSERT_EQ(pf1test::at(zeg, x, y), want) << x << "," << y;
    }
  // Byte order: red at +2, blue at +0.
  const unsigned char* px = zeg.videoMemory + 5 * zeg.bytesPerLine + 9 * 3;
  EXPECT_EQ(px[2], 9);
  EXPECT_EQ(px[1], 5);
  EXPECT_EQ(px[0], 9 ^ 5);
}

TEST_F(Screen, FadeLevelsGoThroughTheTable) {
  Pattern p(320, 240);
  p.draw(&zeg, 0);
  EXPECT_EQ(changed(), 320 * 240);
  for (int y = 0; y < 240; y += 7)
    for (int x = 0; x < 320; x += 5) ASSERT_EQ(pf1test::at(zeg, x, y), (Rgb{0, 0, 0}));
  p.draw(&zeg, 255);
  for (int y = 0; y < 240; y += 7)
    for (int x = 0; x < 320; x += 5) ASSERT_EQ(pf1test::at(zeg, x, y), (Rgb{255, 255, 255}));
  p.draw(&zeg, 64);
  for (int y = 0; y < 240; y += 3)
    for (int x = 0; x < 320; x += 3) {
      Rgb c = Pattern::colour(x, y);
      ASSERT_EQ(pf1test::at(zeg, x, y),
                (Rgb{FadeLut::at(c.r, 64), FadeLut::at(c.g, 64), FadeLut::at(c.b, 64)}));
    }
  p.draw(&zeg, 127);
  EXPECT_EQ(pf1test::at(zeg, 100, 50), Pattern::colour(100, 50));
}

TEST_F(Screen, EveryLevelAndByteMatchesTheFadeTable) {
  // 256 x 3 picture: row 0 pixel x holds bytes (x, 255 - x, x ^ 0x5A); rows 1-2
  // shuffle them; a scattered mask and an odd scroll make spans of many lengths.
  Pattern p(256, 3, [](int x, int y) { return (x * 5 + y) % 3 != 0; });
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 256; x++) {
      unsigned char* px = &p.data[3 * (y * 256 + x)];
      px[0] = static_cast<unsigned char>((x * (y + 1)) & 0xFF);
      px[1] = static_cast<unsigned char>(255 - x);
      px[2] = static_cast<unsigned char>(x ^ 0x5A);
    }
  for (int level = 0; level < 256; level++)
    for (int useMask : {0, 1}) {
      pf1test::fill(zeg, grey);
      p.draw(&zeg, level, 37, 1, useMask);
      for (int y = 0; y < 240; y += 1)
        for (int x = 0; x < 320; x++) {
          int sx = (37 + x) % 256, sy = (1 + y) % 3;
          size_t i = static_cast<size_t>(sy) * 256 + sx;
          Rgb want = grey;
          if (!useMask || p.mask[i])
            want = {FadeLut::at(p.data[3 * i], level), FadeLut::at(p.data[3 * i + 1], level),
                    FadeLut::at(p.data[3 * i + 2], level)};
          ASSERT_EQ(pf1test::at(zeg, x, y), want) << "level " << level << " mask " << useMask << " at " << x << "," << y;
        }
    }
}

TEST_F(Screen, ScrolledDrawWraps) {
  Pattern p(320, 240);
  p.draw(&zeg, 128, 0, 10, 0);
  EXPECT_EQ(pf1test::at(zeg, 3, 0), Pattern::colour(3, 10));
  EXPECT_EQ(pf1test::at(zeg, 3, 229), Pattern::colour(3, 239));
  EXPECT_EQ(pf1test::at(zeg, 3, 230), Pattern::colour(3, 0));
  EXPECT_EQ(pf1test::at(zeg, 319, 239), Pattern::colour(319, 9));
  // A negative scroll counts back from the end: -10 shows what 230 shows.
  p.draw(&zeg, 128, 0, 230);
  EXPECT_EQ(pf1test::at(zeg, 3, 10), Pattern::colour(3, 0));
  std::vector<Rgb> first;
  for (int y = 0; y < 240; y++)
    for (int x = 0; x < 320; x++) first.push_back(pf1test::at(zeg, x, y));
  for (int s : {-10, 230 + 240 * 5, -10 - 240 * 3}) {
    pf1test::fill(zeg, grey);
    p.draw(&zeg, 128, 0, s);
    size_t i = 0;
    for (int y = 0; y < 240; y++)
      for (int x = 0; x < 320; x++) ASSERT_EQ(pf1test::at(zeg, x, y), first[i++]) << s;
  }
  p.draw(&zeg, 128, -1, 0);
  EXPECT_EQ(pf1test::at(zeg, 0, 4), Pattern::colour(319, 4));
  EXPECT_EQ(pf1test::at(zeg, 1, 4), Pattern::colour(0, 4));
}

TEST_F(Screen, SmallAndLargePicturesTileOrCropTheScreen) {
  Pattern small(7, 5);
  small.draw(&zeg, 128, 3, 2, 0);
  EXPECT_EQ(changed(), 320 * 240);
  EXPECT_EQ(pf1test::at(zeg, 0, 0), Pattern::colour(3, 2));
  EXPECT_EQ(pf1test::at(zeg, 4, 3), Pattern::colour(0, 0));
  EXPECT_EQ(pf1test::at(zeg, 319, 239), Pattern::colour((3 + 319) % 7, (2 + 239) % 5));
  Pattern big(700, 500);
  big.draw(&zeg, 64, 650, 480, 1);
  EXPECT_EQ(pf1test::at(zeg, 0, 0), (Rgb{FadeLut::at(650 & 0xFF, 64), FadeLut::at(480 & 0xFF, 64),
                                          FadeLut::at((650 ^ 480) & 0xFF, 64)}));
  EXPECT_EQ(pf1test::at(zeg, 50, 20), (Rgb{0, 0, 0}));
}

TEST_F(Screen, MaskKeepsTheScreenUnderTransparentPixels) {
  Pattern p(320, 240, [](int x, int y) { return (x * 7 + y * 3) % 5 < 2; });
  p.draw(&zeg, 128, 0, 0, 1);
  for (int y = 0; y < 240; y++)
    for (int x = 0; x < 320; x++) {
      Rgb want = (x * 7 + y * 3) % 5 < 2 ? Pattern::colour(x, y) : grey;
      ASSERT_EQ(pf1test::at(zeg, x, y), want) << x << "," << y;
    }
  pf1test::fill(zeg, grey);
  p.draw(&zeg, 0, 0, 0, 1);
  EXPECT_EQ(pf1test::at(zeg, 0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(pf1test::at(zeg, 2, 0), grey);
  p.draw(&zeg, 128, 0, 0, 0);
  EXPECT_EQ(pf1test::at(zeg, 2, 0), (Rgb{0, 0, 0}));
}

TEST_F(Screen, ScrollXSlidesAndClips) {
  Pattern p(320, 240);
  p.scrollX(&zeg, 0);
  EXPECT_EQ(changed(), 320 * 240);
  pf1test::fill(zeg, grey);
  p.scrollX(&zeg, 320);
  EXPECT_EQ(changed(), 0);
  p.scrollX(&zeg, 300);
  EXPECT_EQ(changed(), 20 * 240);
  EXPECT_EQ(pf1test::at(zeg, 0, 9), Pattern::colour(300, 9));
  EXPECT_EQ(pf1test::at(zeg, 19, 9), Pattern::colour(319, 9));
  pf1test::fill(zeg, grey);
  p.scrollX(&zeg, -30);
  EXPECT_EQ(changed(), 290 * 240);
  EXPECT_EQ(pf1test::at(zeg, 29, 0), grey);
  EXPECT_EQ(pf1test::at(zeg, 30, 0), Pattern::colour(0, 0));
  EXPECT_EQ(pf1test::at(zeg, 319, 239), Pattern::colour(289, 239));
  pf1test::fill(zeg, grey);
  Pattern big(1000, 300);
  big.scrollX(&zeg, 900);
  EXPECT_EQ(changed(), 100 * 240);
  big.scrollX(&zeg, -100000);
  big.scrollX(&zeg, 2147483647);
  big.scrollX(&zeg, -2147483647 - 1);
}

TEST_F(Screen, ScrollYSlidesFadesAndClips) {
  Pattern p(320, 240);
  p.scrollY(&zeg, 0);
  EXPECT_EQ(changed(), 320 * 240);
  pf1test::fill(zeg, grey);
  p.scrollY(&zeg, 200);
  EXPECT_EQ(changed(), 320 * 40);
  EXPECT_EQ(pf1test::at(zeg, 5, 0), Pattern::colour(5, 200));
  pf1test::fill(zeg, grey);
  p.scrollY(&zeg, -235, 0);
  EXPECT_EQ(changed(), 320 * 5);
  EXPECT_EQ(pf1test::at(zeg, 5, 235), (Rgb{0, 0, 0}));
  EXPECT_EQ(pf1test::at(zeg, 5, 234), grey);
  pf1test::fill(zeg, grey);
  Pattern narrow(100, 600);
  narrow.scrollY(&zeg, -20, 255);
  EXPECT_EQ(changed(), 100 * 220);
  narrow.scrollY(&zeg, 2147483647);
  narrow.scrollY(&zeg, -2147483647 - 1);
  pf1test::fill(zeg, grey);
  Pattern wide(500, 100);
  wide.scrollY(&zeg, 50);
  EXPECT_EQ(changed(), 320 * 50);
}

TEST_F(Screen, ZoomFiftyTakesEveryOtherPixelCentred) {
  Pattern p(320, 240);
  p.zoom(&zeg, 0);
  EXPECT_EQ(changed(), 0);
  p.zoom(&zeg, 50);
  EXPECT_EQ(changed(), 160 * 120);
  for (int y = 0; y < 240; y++)
    for (int x = 0; x < 320; x++) {
      bool inside = x >= 80 && x < 240 && y >= 60 && y < 180;
      Rgb want = inside ? Pattern::colour((x - 80) * 2, (y - 60) * 2) : grey;
      ASSERT_EQ(pf1test::at(zeg, x, y), want) << x << "," << y;
    }
}

TEST_F(Screen, ZoomHundredEqualsDraw) {
  Pattern p(320, 240);
  p.zoom(&zeg, 100);
  for (int y = 0; y < 240; y += 3)
    for (int x = 0; x < 320; x++) ASSERT_EQ(pf1test::at(zeg, x, y), Pattern::colour(x, y));
}

TEST_F(Screen, ZoomSeventyFiveTakesThreeColumnsOfFour) {
  Pattern p(320, 240);
  p.zoom(&zeg, 75);
  // 240 x 180 output at (40, 30); columns 0, 2, 3, 4, 6, 7, 8, ...
  const int want[] = {0, 2, 3, 4, 6, 7, 8, 10};
  for (int i = 0; i < 8; i++) EXPECT_EQ(pf1test::at(zeg, 40 + i, 30).r, want[i]) << i;
  EXPECT_EQ(pf1test::at(zeg, 40, 31).g, 2);
  EXPECT_EQ(pf1test::at(zeg, 39, 30), grey);
  EXPECT_EQ(pf1test::at(zeg, 279, 209).r, Pattern::colour(319, 0).r);  // output 239 = 3*79+2 -> column 319
  EXPECT_EQ(pf1test::at(zeg, 280, 209), grey);
}

// The plain accumulator walk, for comparison: the horizontal accumulator
// carries from row to row.
std::vector<std::pair<int, int>> referenceZoomSamples(int width, int height, int zoom) {
  std::vector<std::pair<int, int>> out;
  int w = width * zoom / 100, h = height * zoom / 100;
  int hacc = 100, vacc = 100, row = 0;
  for (int oy = 0; oy < h; oy++) {
    int col = 0;
    for (int ox = 0; ox < w; ox++) {
      out.push_back({col, row});
      do {
        col++;
        hacc -= zoom;
      } while (hacc > 0);
      hacc += 100;
    }
    do {
      row++;
      vacc -= zoom;
    } while (vacc > 0);
    vacc += 100;
  }
  return out;
}

TEST_F(Screen, EveryZoomMatchesTheAccumulatorWalk) {
  Pattern p(320, 240);
  for (int z = 1; z <= 100; z++) {
    pf1test::fill(zeg, grey);
    p.zoom(&zeg, z);
    auto samples = referenceZoomSamples(320, 240, z);
    int w = 320 * z / 100, h = 240 * z / 100;
    int left = (320 - w) / 2, top = (240 - h) / 2;
    ASSERT_EQ(changed() <= w * h, true);
    for (int oy = 0; oy < h; oy++)
      for (int ox = 0; ox < w; ox++) {
        auto [c, r] = samples[static_cast<size_t>(oy) * w + ox];
        ASSERT_LT(c, 320) << z;
        ASSERT_LT(r, 240) << z;
        ASSERT_EQ(pf1test::at(zeg, left + ox, top + oy), Pattern::colour(c, r)) << "zoom " << z;
      }
  }
}

TEST_F(Screen, ZoomOfOddSizedPicturesStaysOnScreen) {
  Pattern big(900, 700);
  big.zoom(&zeg, 30);
  big.zoom(&zeg, 100);
  big.zoom(&zeg, 250);
  Pattern tiny(3, 2);
  tiny.zoom(&zeg, 100);
  EXPECT_EQ(pf1test::at(zeg, 2, 1), Pattern::colour(2, 1));
  tiny.zoom(&zeg, -5);
}

TEST_F(Screen, EmptyPictureDrawsNothing) {
  Pf1 none(0, nullptr);
  none.draw(&zeg);
  none.draw(&zeg, 0, 5, 5, 1);
  none.scrollX(&zeg, 0);
  none.scrollY(&zeg, 0, 0);
  none.zoom(&zeg, 50);
  EXPECT_EQ(changed(), 0);
  Pattern p(10, 10);
  p.draw(nullptr);
  p.zoom(nullptr, 50);
}

}  // namespace
