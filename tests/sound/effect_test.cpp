// The mixer: holding, scaling, wrap-around, clip ends, channel rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "FakeAudio.h"
#include "sound/soundEffect.h"

using lmtest::left;
using lmtest::right;

namespace {

class EffectTest : public ::testing::Test {
 protected:
  void SetUp() override { ZesDevice::resetState(); }
  void TearDown() override { ZesDevice::resetState(); }

  // Mixes one 8192-byte buffer (the device's default format) into `out`.
  std::vector<char> mixOne() {
    std::vector<char> out(8192, 0);
    _zesdevstat stat{2, 2, 44100};
    ZesEffect::callbackProc(&stat, &fx, out.data(), 8192);
    return out;
  }

  ZesEffect fx;  // no back end installed: the device stays closed, the mixer is driven by hand
};

std::vector<signed char> ramp(size_t n) {
  std::vector<signed char> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<signed char>(i % 251 - 125);
  return v;
}

}  // namespace

TEST_F(EffectTest, MonoClipAt11025HzHoldsEachSampleFourFramesAsSampleTimes128) {
  const std::vector<signed char> clip = {10, -20, 127, -128};
  fx.play(0, clip.data(), 4, 1, 1, 11025);
  auto out = mixOne();
  for (int f = 0; f < 16; ++f) {
    EXPECT_EQ(left(out.data(), f), clip[f / 4] * 128) << f;
    EXPECT_EQ(right(out.data(), f), clip[f / 4] * 128) << f;
  }
  EXPECT_EQ(left(out.data(), 16), 0);
  EXPECT_EQ(fx.checkPlay(0), 0);
}

TEST_F(EffectTest, A512ByteClipFillsOneBufferAndA513ByteClipSpillsOneSample) {
  auto clip = ramp(513);
  fx.play(0, clip.data(), 512, 1, 1, 11025);
  auto out = mixOne();
  EXPECT_EQ(left(out.data(), 2047), clip[511] * 128);
  EXPECT_EQ(fx.checkPlay(0), 0);

  fx.play(0, clip.data(), 513, 1, 1, 11025);
  out = mixOne();
  EXPECT_EQ(left(out.data(), 2047), clip[511] * 128);
  EXPECT_EQ(fx.checkPlay(0), 1);
  EXPECT_EQ(fx.rest[0], 1);
  out = mixOne();
  for (int f = 0; f < 4; ++f) EXPECT_EQ(left(out.data(), f), clip[512] * 128);
  EXPECT_EQ(left(out.data(), 4), 0);
  EXPECT_EQ(fx.checkPlay(0), 0);
}

TEST_F(EffectTest, EmptyClipPlaysNothingAndIdlesAtTheNextBuffer) {
  const signed char byte = 99;
  fx.play(3, &byte, 0, 1, 1, 11025);
  EXPECT_EQ(fx.checkPlay(3), 1);
  auto out = mixOne();
  EXPECT_EQ(std::count(out.begin(), out.end(), 0), 8192);
  EXPECT_EQ(fx.checkPlay(3), 0);
}

TEST_F(EffectTest, ThreeFullScaleChannelsWrapAround) {
  const signed char loud = 127;
  for (int ch = 0; ch < 3; ++ch) fx.play(ch, &loud, 1, 1, 1, 44100);
  auto out = mixOne();
  EXPECT_EQ(left(out.data(), 0), -16768);  // 3 * 16256 = 48768 wraps
  EXPECT_EQ(right(out.data(), 0), -16768);
  EXPECT_EQ(left(out.data(), 1), 0);
}

TEST_F(EffectTest, MixerAddsToWhatTheBufferHolds) {
  const signed char s = -128;
  fx.play(0, &s, 1, 1, 1, 44100);
  std::vector<char> out(8192, 0);
  out[0] = 0x00;
  out[1] = static_cast<char>(0x80);  // -32768 in the left word
  _zesdevstat stat{2, 2, 44100};
  ZesEffect::callbackProc(&stat, &fx, out.data(), 8192);
  EXPECT_EQ(left(out.data(), 0), 16384);  // -32768 - 16384 wraps
  EXPECT_EQ(right(out.data(), 0), -16384);
}

TEST_F(EffectTest, StereoClipInterleavesLeftThenRight) {
  const std::vector<signed char> clip = {1, -1, 2, -2};
  fx.play(0, clip.data(), 4, 1, 2, 22050);
  auto out = mixOne();
  EXPECT_EQ(left(out.data(), 0), 128);
  EXPECT_EQ(right(out.data(), 0), -128);
  EXPECT_EQ(left(out.data(), 1), 128);
  EXPECT_EQ(left(out.data(), 2), 256);
  EXPECT_EQ(right(out.data(), 3), -256);
  EXPECT_EQ(left(out.data(), 4), 0);
}

TEST_F(EffectTest, RateSetsTheHoldByIntegerDivision) {
  auto clip = ramp(3000);
  fx.play(0, clip.data(), 3000, 1, 1, 16000);  // step 2, like 22050 Hz
  fx.play(1, clip.data(), 3000, 1, 1, 8000);   // step 5
  auto out = mixOne();
  EXPECT_EQ(left(out.data(), 0), (clip[0] + clip[0]) * 128);
  EXPECT_EQ(left(out.data(), 1), (clip[0] + clip[0]) * 128);
  EXPECT_EQ(left(out.data(), 2), (clip[1] + clip[0]) * 128);
  EXPECT_EQ(left(out.data(), 5), (clip[2] + clip[1]) * 128);
  // 2048 frames at step 5 read 410 samples but advance by 2048 / 5 = 409:
  // the last, partly held sample starts the next buffer again.
  EXPECT_EQ(left(out.data(), 2047), (clip[1023] + clip[409]) * 128);
  EXPECT_EQ(fx.rest[0], 3000 - 1024);
  EXPECT_EQ(fx.rest[1], 3000 - 409);
  out = mixOne();
  EXPECT_EQ(left(out.data(), 0), (clip[1024] + clip[409]) * 128);
}

TEST_F(EffectTest, RatesOutsideTheMixersRangeDoNotPlay) {
  const signed char s = 5;
  for (long rate : {0L, -11025L, 44101L, 96000L}) {
    fx.play(0, &s, 1, 1, 1, rate);
    EXPECT_EQ(fx.checkPlay(0), 0) << rate;
    fx.playLocal(&s, 1, 1, 1, rate);
    EXPECT_EQ(fx.checkPlay(8), 0) << rate;
  }
  fx.play(0, &s, 1, 0, 1, 11025);  // no sample size
  EXPECT_EQ(fx.checkPlay(0), 0);
  fx.play(0, &s, 1, 1, 0, 11025);  // no channels
  EXPECT_EQ(fx.checkPlay(0), 0);
  auto out = mixOne();
  EXPECT_EQ(std::count(out.begin(), out.end(), 0), 8192);
}

TEST_F(EffectTest, VeryLowRateStillReachesItsEnd) {
  const std::vector<signed char> clip = {40, 50};
  fx.play(0, clip.data(), 2, 1, 1, 10);  // step 4410: a sample outlasts a buffer
  auto out = mixOne();
  EXPECT_EQ(left(out.data(), 2047), 40 * 128);
  out = mixOne();
  EXPECT_EQ(left(out.data(), 0), 50 * 128);
  EXPECT_EQ(fx.checkPlay(0), 1);
  mixOne();
  EXPECT_EQ(fx.checkPlay(0), 0);
}

TEST_F(EffectTest, ChannelNumbersWrapForPlayAndStopButNotForCheck) {
  const std::vector<signed char> clip(100, 1);
  fx.play(9, clip.data(), 100, 1, 1, 11025);
  EXPECT_EQ(fx.checkPlay(1), 1);
  EXPECT_EQ(fx.checkPlay(9), 0);
  fx.play(0, clip.data(), 100, 1, 1, 11025);
  fx.playLocal(clip.data(), 100, 1, 1, 22050);
  fx.stop(8);
  EXPECT_EQ(fx.checkPlay(0), 0);
  EXPECT_EQ(fx.checkPlay(8), 1);
  fx.stopAll();
  EXPECT_EQ(fx.checkPlay(1), 0);
  EXPECT_EQ(fx.checkPlay(8), 1);
  fx.stopLocal();
  EXPECT_EQ(fx.checkPlay(8), 0);
  EXPECT_EQ(fx.localBuffer, nullptr);
}

TEST_F(EffectTest, PlayLocalReplacesTheVoiceWithItsOwnCopy) {
  auto first = std::make_unique<std::vector<signed char>>(2000, 10);
  fx.playLocal(first->data(), 2000, 1, 1, 22050);
  first.reset();  // the caller may free its buffer at once
  mixOne();
  auto second = std::make_unique<std::vector<signed char>>(100, -3);
  fx.playLocal(second->data(), 100, 1, 1, 22050);
  second.reset();
  EXPECT_EQ(fx.rest[8], 100);
  EXPECT_EQ(fx.checkPlay(8), 1);
  auto out = mixOne();
  EXPECT_EQ(left(out.data(), 0), -3 * 128);
  EXPECT_EQ(left(out.data(), 199), -3 * 128);
  EXPECT_EQ(left(out.data(), 200), 0);
  EXPECT_EQ(fx.checkPlay(8), 0);
  EXPECT_EQ(fx.localBuffer, nullptr);  // freed at the voice's end
}

TEST_F(EffectTest, OtherDeviceFormatGetsSilenceWhileClipsAdvance) {
  const std::vector<signed char> clip(512, 100);
  fx.play(0, clip.data(), 512, 1, 1, 11025);
  std::vector<char> out(8192, 0);
  _zesdevstat stat{1, 1, 22050};
  ZesEffect::callbackProc(&stat, &fx, out.data(), 8192);
  EXPECT_EQ(std::count(out.begin(), out.end(), 0), 8192);
  EXPECT_EQ(fx.checkPlay(0), 0);
}
