#pragma once
// Common set-up of the scene tests: a scratch directory with the screens'
// pictures, cleared key state and scene statics, and a record of the
// interface sounds played.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "graphics/graphicDevice.h"
#include "scenes/LmPlayer.h"
#include "scenes/SystemSound.h"
#include "shell/FileUtils.h"
#include "shell/Key.h"
#include "support/TestSupport.h"
#include "scenes/TestData.h"

namespace lmtest {

struct Rgb {
  int r, g, b;
};

inline Rgb pixelAt(const ZegDevice& zeg, int x, int y) {
  const unsigned char* p = zeg.videoMemory + static_cast<long>(y) * zeg.bytesPerLine + 3 * x;
  return {p[2], p[1], p[0]};
}

inline std::vector<int>& playedSounds() {
  static std::vector<int> played;
  return played;
}

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeScreenPictures();
    KeyReset();
    LmPlayer::resetSceneStatics();
    playedSounds().clear();
    setSystemSoundObserver([](int num) { playedSounds().push_back(num); });
    openCheck();
  }
  void TearDown() override {
    setSystemSoundObserver(nullptr);
    KeyReset();
  }
  static void press(unsigned vk) { keyAction(vk, 1); }
  static void release(unsigned vk) { keyAction(vk, 0); }

  ScratchDir dir;
  ZegDevice zeg{320, 240, 24};
};

}  // namespace lmtest
