// lmtool bank: the bank layout, pack/unpack round trips, and refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/Wav.h"
#include "support/TestSupport.h"
#include "tools/author/bank_audio.h"
#include "tools/author/bank_commands.h"
#include "tools/author/bank_file.h"

using author::Clip;

namespace {

// A 16-bit WAV of the given interleaved samples.
void write16(const std::string& path, int rate, int channels, const std::vector<int16_t>& samples) {
  platform::WavWriter w;
  ASSERT_TRUE(w.open(path, rate, channels, 16));
  ASSERT_TRUE(w.write(samples.data(), samples.size() * 2));
  ASSERT_TRUE(w.close());
}

Clip clipOf(std::initializer_list<int> v) {
  Clip c;
  for (int x : v) c.push_back(static_cast<signed char>(x));
  return c;
}

}  // namespace

TEST(BankFile, LayoutPutsClipsAfterTheLengthTable) {
  const std::vector<Clip> clips = {Clip(10, 1), Clip(3, 2), Clip(5, 3)};
  auto file = author::encodeBank(clips);
  ASSERT_EQ(file.size(), 38u);
  EXPECT_EQ(file[7], 3);   // count
  EXPECT_EQ(file[11], 10);
  EXPECT_EQ(file[15], 3);
  EXPECT_EQ(file[19], 5);
  EXPECT_EQ(file[20], 1);  // clip 0
  EXPECT_EQ(file[30], 2);  // clip 1
  EXPECT_EQ(file[33], 3);  // clip 2
  std::vector<Clip> back;
  std::string error;
  ASSERT_TRUE(author::decodeBank(file, back, error)) << error;
  EXPECT_EQ(back, clips);
}

TEST(BankFile, DamagedFilesAreRefused) {
  auto file = author::encodeBank({Clip(4, 1), Clip(4, 2)});
  std::vector<Clip> clips;
  std::string error;
  auto cut = file;
  cut.pop_back();
  EXPECT_FALSE(author::decodeBank(cut, clips, error));
  EXPECT_NE(error.find("clip 1"), std::string::npos);
  auto huge = file;
  huge[4] = 0x40;  // count 0x40000002
  EXPECT_FALSE(author::decodeBank(huge, clips, error));
  EXPECT_FALSE(author::decodeBank({1, 2, 3}, clips, error));
  EXPECT_TRUE(clips.empty());
  EXPECT_FALSE(author::decodeBank({'B', 'A', 'N', 'K', 0, 0, 0, 0}, clips, error)) << "no clips, as the player";
  EXPECT_NE(error.find("no clips"), std::string::npos);
}

TEST(BankPack, SixteenBitInputAtTheBankRatePacksExactly) {
  lmtest::ScratchDir dir;
  write16("a.wav", 11025, 1, {0, 256, -256, 127 * 256, -128 * 256, 5 * 256});
  write16("b.wav", 11025, 2, {256, 768, -1024, -1024});  // stereo: mean of the two
  std::string error;
  ASSERT_TRUE(author::bankPack("OUT.PCM", 11025, {"a.wav", "b.wav"}, error)) << error;
  std::vector<Clip> clips;
  ASSERT_TRUE(author::decodeBank(lmtest::readFile("OUT.PCM"), clips, error)) << error;
  ASSERT_EQ(clips.size(), 2u);
  EXPECT_EQ(clips[0], clipOf({0, 1, -1, 127, -128, 5}));
  EXPECT_EQ(clips[1], clipOf({2, -4}));
  EXPECT_FALSE(lmtest::fileExists("OUT.PCM.part"));
}

TEST(BankPack, UnpackThenPackGivesTheSameBank) {
  lmtest::ScratchDir dir;
  const std::vector<Clip> clips = {clipOf({-128, -1, 0, 1, 127}), Clip(), Clip(3000, 42)};
  lmtest::writeFile("IN.PCM", author::encodeBank(clips));
  std::vector<std::string> wavs;
  std::string error;
  ASSERT_TRUE(author::bankUnpack("IN.PCM", "out", 22050, &wavs, error)) << error;
  ASSERT_EQ(wavs.size(), 3u);
  EXPECT_EQ(wavs[2], "out/clip002.wav");
  auto wav = lmtest::readFile(wavs[0]);
  ASSERT_EQ(wav.size(), 44u + 6);  // five samples and a pad byte
  EXPECT_EQ(wav[34], 8);           // bits
  EXPECT_EQ(wav[24] | (wav[25] << 8), 22050);
  ASSERT_TRUE(author::bankPack("AGAIN.PCM", 22050, wavs, error)) << error;
  EXPECT_EQ(lmtest::readFile("AGAIN.PCM"), lmtest::readFile("IN.PCM"));
  std::string report;
  ASSERT_TRUE(author::bankInfo("AGAIN.PCM", report, error));
  EXPECT_NE(report.find("3 clips"), std::string::npos);
  EXPECT_NE(report.find("clip 2: 3000 bytes"), std::string::npos);
}

TEST(BankPack, OtherRatesAreResampled) {
  lmtest::ScratchDir dir;
  std::vector<int16_t> tone(4410);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<int16_t>(16000 * std::sin(2 * M_PI * 441 * i / 44100.0));
  write16("tone.wav", 44100, 1, tone);
  Clip clip;
  std::string error;
  ASSERT_TRUE(author::readClip("tone.wav", 11025, clip, error)) << error;
  EXPECT_NEAR(static_cast<double>(clip.size()), 1102.5, 2);
  int peak = 0;
  for (size_t i = 100; i + 100 < clip.size(); ++i) peak = std::max(peak, std::abs(int{clip[i]}));
  EXPECT_NEAR(peak, 62, 3);  // 16000 / 256
}

TEST(BankPack, FailuresLeaveNoOutput) {
  lmtest::ScratchDir dir;
  write16("a.wav", 11025, 1, {256});
  lmtest::writeText("junk.wav", "not a sound file");
  std::string error;
  EXPECT_FALSE(author::bankPack("OUT.PCM", 11025, {"a.wav", "missing.wav"}, error));
  EXPECT_NE(error.find("missing.wav"), std::string::npos);
  EXPECT_FALSE(author::bankPack("OUT.PCM", 11025, {"junk.wav"}, error));
  EXPECT_FALSE(author::bankPack("OUT.PCM", 0, {"a.wav"}, error));
  EXPECT_FALSE(author::bankPack("OUT.PCM", 48000, {"a.wav"}, error));
  EXPECT_FALSE(lmtest::fileExists("OUT.PCM"));
  // An existing bank is not touched by a failed pack.
  lmtest::writeText("OLD.PCM", "old");
  EXPECT_FALSE(author::bankPack("OLD.PCM", 11025, {"missing.wav"}, error));
  EXPECT_EQ(lmtest::readFile("OLD.PCM"), (lmtest::Bytes{'o', 'l', 'd'}));

  auto bad = author::encodeBank({Clip(4, 1)});
  bad.pop_back();
  lmtest::writeFile("BAD.PCM", bad);
  EXPECT_FALSE(author::bankUnpack("BAD.PCM", "out", 11025, nullptr, error));
  EXPECT_FALSE(lmtest::fileExists("out/clip000.wav"));
  std::string report;
  EXPECT_FALSE(author::bankInfo("BAD.PCM", report, error));
}
