// The player's volume, mute and voice pause: applied after the mix, so full
// volume leaves the plain mix's samples untouched.
#include <gtest/gtest.h>

#include <vector>

#include "FakeAudio.h"
#include "sound/MixControl.h"
#include "sound/soundEffect.h"
#include "sound/zepl.h"

using lmtest::left;
using lmtest::right;

namespace {

class MixLevelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZesDevice::resetState();
    setMixLevels(MixLevels{});
    pauseVoice(false);
  }
  void TearDown() override {
    setMixLevels(MixLevels{});
    pauseVoice(false);
    ZesDevice::resetState();
  }

  std::vector<char> mixOne(ZesEffect& fx, std::vector<char> out = std::vector<char>(8192, 0)) {
    _zesdevstat stat{2, 2, 44100};
    ZesEffect::callbackProc(&stat, &fx, out.data(), static_cast<long>(out.size()));
    return out;
  }

  // An effect clip and a voice clip that both sound in the first frames;
  // three effect channels at full scale wrap in the plain mix.
  void start(ZesEffect& fx) {
    fx.play(0, loud.data(), 64, 1, 1, 11025);
    fx.play(1, loud.data(), 64, 1, 1, 11025);
    fx.play(2, loud.data(), 64, 1, 1, 11025);
    fx.playLocal(voice.data(), 64, 1, 1, 22050);
  }

  std::vector<signed char> loud = std::vector<signed char>(64, 127);
  std::vector<signed char> voice = std::vector<signed char>(64, -40);
};

}  // namespace

TEST_F(MixLevelsTest, FullVolumeIsThePlainMixIncludingItsWrapAround) {
  ZesEffect a;
  start(a);
  std::vector<char> plain = mixOne(a);
  // 3 * 127 * 128 wraps; the voice adds -40 * 128.
  EXPECT_EQ(left(plain.data(), 0), static_cast<int16_t>(3 * 127 * 128 - 40 * 128));

  MixLevels full;
  full.master = full.voice = full.effect = 100;
  setMixLevels(full);
  ZesEffect b;
  start(b);
  EXPECT_EQ(mixOne(b), plain);
}

TEST_F(MixLevelsTest, VoiceAndEffectLevelsScaleTheirOwnPartThenMasterScalesBoth) {
  MixLevels l;
  l.effect = 0;
  l.voice = 50;
  l.master = 50;
  setMixLevels(l);
  ZesEffect fx;
  start(fx);
  std::vector<char> out = mixOne(fx);
  EXPECT_EQ(left(out.data(), 0), -40 * 128 * 50 * 50 / 10000);
  EXPECT_EQ(right(out.data(), 0), -40 * 128 * 50 * 50 / 10000);

  // The effect part keeps the plain mix's own wrap, then is scaled.
  l = MixLevels{};
  l.voice = 0;
  l.effect = 50;
  fx.setLevels(l);
  start(fx);
  out = mixOne(fx);
  EXPECT_EQ(left(out.data(), 0), static_cast<int16_t>(3 * 127 * 128) / 2);
}

TEST_F(MixLevelsTest, LevelledSumsSaturateInsteadOfWrapping) {
  MixLevels l;
  l.master = 99;
  setMixLevels(l);
  ZesEffect fx;
  fx.play(0, loud.data(), 64, 1, 1, 11025);
  std::vector<char> out(8192, 0);
  for (size_t i = 0; i + 1 < out.size(); i += 2) {  // the buffer already holds a loud sound
    out[i] = static_cast<char>(0x00);
    out[i + 1] = static_cast<char>(0x7F);
  }
  out = mixOne(fx, out);
  EXPECT_EQ(left(out.data(), 0), 32767);
}

TEST_F(MixLevelsTest, MuteSilencesWhileClipsStillAdvanceAndEnd) {
  MixLevels l;
  l.mute = true;
  setMixLevels(l);
  ZesEffect fx;
  start(fx);
  std::vector<char> out = mixOne(fx);
  EXPECT_EQ(out, std::vector<char>(8192, 0));
  EXPECT_EQ(fx.checkPlay(0), 0);  // 64 samples end within one buffer
  EXPECT_EQ(fx.checkPlay(8), 0);
}

TEST_F(MixLevelsTest, APausedVoiceNeitherSoundsNorAdvancesAndResumesWhereItWas) {
  ZesEffect fx;
  std::vector<signed char> clip(600, 0);
  clip[0] = 100;
  clip[1] = 50;
  fx.playLocal(clip.data(), 600, 1, 1, 11025);  // 600 samples: more than one buffer at 11025 Hz
  fx.pauseLocal(true);
  std::vector<char> out = mixOne(fx);
  EXPECT_EQ(out, std::vector<char>(8192, 0));
  EXPECT_EQ(fx.checkPlay(8), 1);
  fx.pauseLocal(false);
  out = mixOne(fx);
  EXPECT_EQ(left(out.data(), 0), 100 * 128);  // the clip starts from its first sample
  EXPECT_EQ(left(out.data(), 4), 50 * 128);
}

TEST_F(MixLevelsTest, TheFlatControlsReachTheRunningLibraryAndOneStartedLater) {
  ZEPL_Init(nullptr);
  ASSERT_NE(zeplEffect(), nullptr);
  ZEPL_PlaySoundLocal(voice.data(), 64, 1, 1, 22050);
  EXPECT_EQ(ZEPL_Check(8), 1);
  stopVoice();
  EXPECT_EQ(ZEPL_Check(8), 0);
  MixLevels l;
  l.voice = 250;  // clamped
  l.effect = -3;
  setMixLevels(l);
  EXPECT_EQ(mixLevels().voice, 100);
  EXPECT_EQ(mixLevels().effect, 0);
  ZEPL_Trash();
  pauseVoice(true);
  ZEPL_Init(nullptr);
  ZEPL_PlaySoundLocal(voice.data(), 64, 1, 1, 22050);
  std::vector<char> out = mixOne(*zeplEffect());
  EXPECT_EQ(out, std::vector<char>(8192, 0));  // paused from the start
  EXPECT_EQ(ZEPL_Check(8), 1);
  ZEPL_Trash();
}
