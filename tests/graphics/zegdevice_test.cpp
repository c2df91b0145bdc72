#include <gtest/gtest.h>

#include <array>

#include "graphics/graphicDevice.h"
#include "platform/Png.h"
#include "platform/Presenter.h"
#include "support/TestSupport.h"

namespace {

TEST(ZegDevice, LayoutIsBottomUpWithNegativeRowStep) {
  ZegDevice zeg(320, 240, 24);
  ASSERT_EQ(zeg.checkError(), 0);
  EXPECT_EQ(zeg.storageStride(), 960);
  EXPECT_EQ(zeg.bytesPerLine, -960);
  EXPECT_EQ(zeg.bytesPerPixel, 3);
  EXPECT_EQ(zeg.width, 320);
  EXPECT_EQ(zeg.height, 240);
  // Screen (0,0) is the first pixel of the last stored row; (0,239) the first of the storage.
  EXPECT_EQ(zeg.videoMemory, zeg.storage() + 239 * 960);
  EXPECT_EQ(zeg.videoMemory + 239 * zeg.bytesPerLine, zeg.storage());
}

TEST(ZegDevice, StrideIsPaddedToFourBytes) {
  ZegDevice odd(321, 2, 24);
  ASSERT_EQ(odd.checkError(), 0);
  EXPECT_EQ(odd.storageStride(), 964);
  EXPECT_EQ(odd.bytesPerLine, -964);
  ZegDevice bad(0, 240, 24);
  EXPECT_EQ(bad.checkError(), 1);
  EXPECT_EQ(bad.videoMemory, nullptr);
}

TEST(ZegDevice, PresentedFrameKeepsScreenCoordinatesAndColours) {
  lmtest::ScratchDir dir;
  platform::HeadlessPresenter shots;
  platform::setPresenter(&shots);
  ZegDevice zeg(320, 240, 24);
  auto put = [&](int x, int y, unsigned char b, unsigned char g, unsigned char r) {
    unsigned char* p = zeg.videoMemory + y * zeg.bytesPerLine + x * zeg.bytesPerPixel;
    p[0] = b;
    p[1] = g;
    p[2] = r;
  };
  put(0, 0, 0, 0, 255);     // red at the top-left
  put(319, 239, 255, 0, 0); // blue at the bottom-right
  put(10, 20, 0, 255, 0);   // green
  zeg.draw();
  platform::setPresenter(nullptr);
  ASSERT_EQ(shots.presents(), 1);
  ASSERT_TRUE(shots.savePng("frame.png"));

  int w = 0, h = 0;
  std::vector<unsigned char> rgba;
  ASSERT_TRUE(platform::readPngRgba("frame.png", w, h, rgba));
  ASSERT_EQ(w, 320);
  ASSERT_EQ(h, 240);
  auto px = [&](int x, int y) {
    const unsigned char* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
    return std::array<int, 3>{p[0], p[1], p[2]};
  };
  EXPECT_EQ(px(0, 0), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(px(319, 239), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(px(10, 20), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(px(1, 0), (std::array<int, 3>{0, 0, 0}));
}

TEST(Png, WriteLeavesNoFileOnFailure) {
  lmtest::ScratchDir dir;
  unsigned char px[3] = {1, 2, 3};
  EXPECT_FALSE(platform::writePng("nodir/x.png", 1, 1, 3, px));
  EXPECT_FALSE(lmtest::fileExists("nodir/x.png.tmp"));
  EXPECT_FALSE(platform::writePng("x.png", 0, 1, 3, px));
  EXPECT_FALSE(lmtest::fileExists("x.png"));
}

}  // namespace
