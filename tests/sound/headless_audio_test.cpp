// The headless back end: virtual-time pacing and the WAV recording.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Audio.h"
#include "sound/soundDevice.h"
#include "sound/zepl.h"
#include "support/TestSupport.h"

namespace {

uint32_t le32(const lmtest::Bytes& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}
int le16s(const lmtest::Bytes& b, size_t at) { return static_cast<int16_t>(b[at] | (b[at + 1] << 8)); }

class HeadlessAudioTest : public ::testing::Test {
 protected:
  void SetUp() override { ZesDevice::resetState(); }
  void TearDown() override {
    ZEPL_Trash();
    platform::setAudioBackend(nullptr);
    ZesDevice::resetState();
  }
  // Installs a headless back end; it outlives the device closed in TearDown.
  platform::HeadlessAudio& install(const std::string& wavPath = "") {
    backend = std::make_unique<platform::HeadlessAudio>(wavPath);
    platform::setAudioBackend(backend.get());
    return *backend;
  }
  lmtest::ScratchDir dir;
  std::unique_ptr<platform::HeadlessAudio> backend;
};

}  // namespace

TEST_F(HeadlessAudioTest, CompletesOneBufferPer2048FramesOfVirtualTime) {
  auto& audio = install();
  ZEPL_Init(nullptr);
  ASSERT_TRUE(audio.isOpen());
  EXPECT_EQ(audio.queued(), 8u);
  audio.advanceTo(46);  // a buffer lasts 46.44 ms
  EXPECT_EQ(audio.buffersPlayed(), 0u);
  audio.advanceTo(47);
  EXPECT_EQ(audio.buffersPlayed(), 1u);
  audio.advanceTo(1000);
  EXPECT_EQ(audio.buffersPlayed(), 21u);  // 1000 * 44100 / 2048000 = 21.5
  audio.advanceTo(60000);
  EXPECT_EQ(audio.buffersPlayed(), 1291u);
  EXPECT_EQ(audio.queued(), 8u);  // every played buffer came back
}

TEST_F(HeadlessAudioTest, ClockStartsWhenTheOutputOpens) {
  auto& audio = install();
  audio.advanceTo(5000);
  ZEPL_Init(nullptr);
  audio.advanceTo(5046);
  EXPECT_EQ(audio.buffersPlayed(), 0u);
  audio.advanceTo(5047);
  EXPECT_EQ(audio.buffersPlayed(), 1u);
}

TEST_F(HeadlessAudioTest, RecordsWhatItPlaysToAWavFile) {
  auto& audio = install("out.wav");
  ZEPL_Init(nullptr);
  const std::vector<signed char> clip = {100, -50};
  ZEPL_PlaySound(0, clip.data(), 2, 1, 1, 11025);
  audio.advanceTo(470);  // ten buffers: eight primed silent ones, then the clip
  ZEPL_Trash();
  ASSERT_TRUE(audio.finish());
  auto wav = lmtest::readFile("out.wav");
  ASSERT_EQ(wav.size(), 44u + 10 * 8192);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(le32(wav, 4), 36u + 10 * 8192);
  EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(le32(wav, 24), 44100u);
  EXPECT_EQ(le32(wav, 28), 176400u);
  EXPECT_EQ(wav[22], 2);   // channels
  EXPECT_EQ(wav[32], 4);   // block align
  EXPECT_EQ(wav[34], 16);  // bits
  EXPECT_EQ(le32(wav, 40), 10u * 8192);
  const size_t clipAt = 44 + 8 * 8192;
  for (size_t at = 44; at < clipAt; at += 2) ASSERT_EQ(le16s(wav, at), 0) << at;
  EXPECT_EQ(le16s(wav, clipAt), 100 * 128);       // left, frame 0
  EXPECT_EQ(le16s(wav, clipAt + 2), 100 * 128);   // right
  EXPECT_EQ(le16s(wav, clipAt + 12), 100 * 128);  // frame 3
  EXPECT_EQ(le16s(wav, clipAt + 16), -50 * 128);  // frame 4
  EXPECT_EQ(le16s(wav, clipAt + 32), 0);          // frame 8: the clip is over
}

TEST_F(HeadlessAudioTest, UnwritableRecordingIsReported) {
  auto& audio = install("no/such/dir/out.wav");
  ZEPL_Init(nullptr);
  audio.advanceTo(100);
  EXPECT_FALSE(audio.finish());
}

TEST_F(HeadlessAudioTest, RecordingExistsEvenWhenNothingPlayed) {
  {
    platform::HeadlessAudio audio("quiet.wav");
    EXPECT_TRUE(audio.finish());
  }
  auto wav = lmtest::readFile("quiet.wav");
  ASSERT_EQ(wav.size(), 44u);
  EXPECT_EQ(le32(wav, 40), 0u);
}

// A recording that reaches the size a WAV file can describe stops there with
// a warning and keeps a valid file (the real limit is 4 GiB; a test limit of
// two and a half buffers stands for it).
TEST_F(HeadlessAudioTest, ARecordingAtItsSizeLimitStopsAndStaysValid) {
  auto& audio = install("rec.wav");
  const uint64_t limit = 8192 * 2 + 4096 + 2;  // not a whole frame: whole frames are kept
  audio.setRecordingLimit(limit);
  ZEPL_Init(nullptr);
  testing::internal::CaptureStderr();
  audio.advanceTo(1000);  // 21 buffers played
  const std::string warning = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(audio.recordingStopped());
  EXPECT_NE(warning.find("largest size a WAV file can hold"), std::string::npos) << warning;
  EXPECT_EQ(audio.buffersPlayed(), 21u) << "playing goes on";
  ZEPL_Trash();
  ASSERT_TRUE(audio.finish()) << audio.wavError();
  lmtest::Bytes wav = lmtest::readFile("rec.wav");
  ASSERT_EQ(wav.size(), 44u + 8192 * 2 + 4096);
  EXPECT_EQ(le32(wav, 4), 36u + 8192 * 2 + 4096);
  EXPECT_EQ(le32(wav, 40), 8192u * 2 + 4096);
}
