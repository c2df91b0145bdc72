// The ZEPL_ call interface over a running output.
#include <gtest/gtest.h>

#include <vector>

#include "FakeAudio.h"
#include "sound/soundDevice.h"
#include "sound/zepl.h"

using lmtest::FakeAudio;
using lmtest::left;

namespace {

class ZeplTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZesDevice::resetState();
    platform::setAudioBackend(&fake);
  }
  void TearDown() override {
    ZEPL_Trash();
    platform::setAudioBackend(nullptr);
    ZesDevice::resetState();
  }
  FakeAudio fake;
};

}  // namespace

TEST_F(ZeplTest, CallsOutsideInitAndTrashDoNothing) {
  const signed char s = 1;
  ZEPL_PlaySound(0, &s, 1, 1, 1, 11025);
  ZEPL_PlaySoundLocal(&s, 1, 1, 1, 11025);
  ZEPL_StopSound(0);
  ZEPL_StopMusic();
  EXPECT_EQ(ZEPL_Check(0), 0);
  EXPECT_EQ(ZEPL_Check(8), 0);
  ZEPL_Init(nullptr);
  ZEPL_PlaySound(0, &s, 1, 1, 1, 11025);
  EXPECT_EQ(ZEPL_Check(0), 1);
  ZEPL_Trash();
  EXPECT_EQ(ZEPL_Check(0), 0);
  ZEPL_Trash();  // twice is harmless
}

TEST_F(ZeplTest, InitOpensTheOutputAndTrashClosesIt) {
  ZEPL_Init(nullptr);
  EXPECT_TRUE(fake.isOpen);
  EXPECT_EQ(fake.queue.size(), 8u);
  EXPECT_EQ(ZesDevice::param.active, 1);
  ZEPL_Trash();
  EXPECT_FALSE(fake.isOpen);
  EXPECT_EQ(ZesDevice::param.active, 0);
  EXPECT_EQ(ZesDevice::openCount, 0);
}

TEST_F(ZeplTest, ClipStartsInTheNextRefilledBuffer) {
  ZEPL_Init(nullptr);
  const std::vector<signed char> clip(512, 7);
  ZEPL_PlaySound(9, clip.data(), 512, 1, 1, 11025);  // channel 9 is channel 1
  EXPECT_EQ(ZEPL_Check(1), 1);
  char* buffer = fake.completeOne();
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(left(buffer, 0), 7 * 128);
  EXPECT_EQ(left(buffer, 2047), 7 * 128);
  EXPECT_EQ(ZEPL_Check(1), 0);
}

TEST_F(ZeplTest, CheckEightAsksTheVoiceAndStopEightStopsChannelZero) {
  ZEPL_Init(nullptr);
  const std::vector<signed char> clip(100, 1);
  ZEPL_PlaySound(0, clip.data(), 100, 1, 1, 11025);
  ZEPL_PlaySoundLocal(clip.data(), 100, 1, 1, 22050);
  EXPECT_EQ(ZEPL_Check(8), 1);
  ZEPL_StopSound(8);
  EXPECT_EQ(ZEPL_Check(0), 0);
  EXPECT_EQ(ZEPL_Check(8), 1);
}

TEST_F(ZeplTest, WithoutAnOutputAStartedClipNeverEnds) {
  platform::setAudioBackend(nullptr);
  ZEPL_Init(nullptr);
  const signed char s = 1;
  ZEPL_PlaySoundLocal(&s, 1, 1, 1, 22050);
  EXPECT_EQ(ZEPL_Check(8), 1);
  EXPECT_EQ(ZesDevice::param.active, 0);
}
