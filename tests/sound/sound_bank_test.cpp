// Sound banks: layout, the two modes, the two directories, damaged files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeAudio.h"
#include "shell/FileUtils.h"
#include "sound/Sound.h"
#include "sound/soundDevice.h"
#include "sound/zepl.h"
#include "support/TestSupport.h"

using lmtest::Bytes;
using lmtest::FakeAudio;
using lmtest::left;

namespace {

// A bank file of the given clips; clip i is filled with the value i + 1.
Bytes bankBytes(const std::vector<uint32_t>& lengths) {
  Bytes b;
  lmtest::put32(b, 0);
  lmtest::put32(b, static_cast<uint32_t>(lengths.size()));
  for (uint32_t len : lengths) lmtest::put32(b, len);
  for (size_t i = 0; i < lengths.size(); ++i) b.insert(b.end(), lengths[i], static_cast<unsigned char>(i + 1));
  return b;
}

std::vector<std::string> opened;
void observe(const char* name, bool ok) {
  if (ok) opened.push_back(name);
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZesDevice::resetState();
    platform::setAudioBackend(&fake);
    lmtest::writeText("kirune.ini", "[DOROVANKA]\nSYSDIR=sys/\nPCMDIR=pcm/\n");
    lmtest::makeDirs("sys");
    lmtest::makeDirs("pcm");
    ZEPL_Init(nullptr);
  }
  void TearDown() override {
    ZEPL_Trash();
    platform::setAudioBackend(nullptr);
    ZesDevice::resetState();
    setOpenObserver(nullptr);
  }
  // Frames of the next refilled output buffer that hold sample value v * 128.
  int framesOf(int v) {
    char* b = fake.completeOne();
    int n = 0;
    for (int f = 0; f < 2048; ++f) n += left(b, f) == v * 128;
    return n;
  }
  lmtest::ScratchDir dir;
  FakeAudio fake;
};

}  // namespace

TEST_F(SoundTest, ClipsFollowTheLengthTable) {
  Bytes file = bankBytes({10, 3, 5});
  ASSERT_EQ(file.size(), 38u);
  lmtest::writeFile("pcm/KI001.PCM", file);
  Sound voice(1, "KI001.PCM", 0);
  ASSERT_EQ(voice.numMax, 3);
  EXPECT_EQ(voice.ptr, (std::vector<long>{20, 30, 33}));
  EXPECT_EQ(voice.size, (std::vector<long>{10, 3, 5}));
  Sound sys(0, "KI001.PCM", 1);
  ASSERT_EQ(sys.numMax, 3);
  for (int i = 0; i < 3; ++i)
    for (long k = 0; k < sys.size[i]; ++k) EXPECT_EQ(sys.data[i][k], i + 1);
}

TEST_F(SoundTest, MemoryModeClosesTheFileAndStreamingModeKeepsIt) {
  lmtest::writeFile("sys/SYS01.PCM", bankBytes({4, 4}));
  Sound mem(0, "SYS01.PCM", 1);
  EXPECT_EQ(mem.fp, nullptr);
  EXPECT_NE(mem.data[0], nullptr);
  EXPECT_NE(mem.data[1], nullptr);
  Sound stream(1, "SYS01.PCM", 0);
  EXPECT_NE(stream.fp, nullptr);
  EXPECT_EQ(stream.data[0], nullptr);
}

TEST_F(SoundTest, SysdirIsTriedBeforePcmdir) {
  setOpenObserver(observe);
  opened.clear();
  lmtest::writeFile("pcm/A.PCM", bankBytes({1}));
  Sound fromPcm(0, "A.PCM", 1);
  EXPECT_EQ(fromPcm.numMax, 1);
  lmtest::writeFile("sys/A.PCM", bankBytes({1, 1}));
  Sound fromSys(0, "A.PCM", 1);
  EXPECT_EQ(fromSys.numMax, 2);
  EXPECT_EQ(opened, (std::vector<std::string>{"pcm/A.PCM", "sys/A.PCM"}));
  Sound missing(0, "NONE.PCM", 1);
  EXPECT_EQ(missing.numMax, 0);
  missing.play(0);
  missing.playVoice(0);
  EXPECT_EQ(missing.check(), 0);
}

TEST_F(SoundTest, StreamingLoadsAClipOnFirstUseOnly) {
  Bytes file = bankBytes({4, 4});
  lmtest::writeFile("pcm/V.PCM", file);
  Sound voice(1, "V.PCM", 0);
  voice.play(0);
  ASSERT_NE(voice.data[0], nullptr);
  EXPECT_EQ(voice.data[1], nullptr);
  // Rewrite both clips on disk: clip 0 is cached, clip 1 is read now.
  std::fill(file.begin() + 16, file.end(), 9);
  lmtest::writeFile("pcm/V.PCM", file);
  voice.play(0);
  voice.play(1);
  EXPECT_EQ(voice.data[0][0], 1);
  EXPECT_EQ(voice.data[1][0], 9);
}

TEST_F(SoundTest, ClipNumbersOutsideTheBankAreIgnored) {
  lmtest::writeFile("pcm/V.PCM", bankBytes({4}));
  Sound voice(1, "V.PCM", 0);
  voice.play(1);
  voice.playVoice(1);
  voice.play(-1);
  EXPECT_EQ(ZEPL_Check(1), 0);
  EXPECT_EQ(voice.check(), 0);
}

TEST_F(SoundTest, SystemClipsPlayAt11025HzAndVoicesAtFreq) {
  lmtest::writeFile("pcm/V.PCM", bankBytes({10}));
  Sound sys(0, "V.PCM", 1);
  sys.play(0);
  EXPECT_EQ(framesOf(1), 40);
  Sound voice(1, "V.PCM", 0);
  EXPECT_EQ(voice.voicefreq, 22050);
  voice.playVoice(0);
  EXPECT_EQ(framesOf(1), 20);
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nSYSDIR=sys/\nPCMDIR=pcm/\nFREQ=44100\n");
  Sound fast(1, "V.PCM", 0);
  fast.playVoice(0);
  EXPECT_EQ(framesOf(1), 10);
}

TEST_F(SoundTest, CheckFollowsTheVoiceUntilItIsMixedToItsEnd) {
  lmtest::writeFile("pcm/V.PCM", bankBytes({1500, 100}));
  Sound voice(1, "V.PCM", 0);
  EXPECT_EQ(voice.check(), 0);
  voice.playVoice(0);  // 1500 samples at 22050 Hz: 3000 frames, two buffers
  EXPECT_NE(voice.check(), 0);
  fake.completeOne();
  EXPECT_NE(voice.check(), 0);
  voice.playVoice(1);  // replaces the voice
  EXPECT_NE(voice.check(), 0);
  EXPECT_EQ(framesOf(2), 200);
  EXPECT_EQ(voice.check(), 0);
}

TEST_F(SoundTest, DestroyingABankSilencesItsChannelButNotTheVoice) {
  lmtest::writeFile("pcm/V.PCM", bankBytes({3000, 3000}));
  {
    Sound bank(3, "V.PCM", 1);
    bank.play(0);
    bank.playVoice(1);
    EXPECT_EQ(ZEPL_Check(3), 1);
  }
  EXPECT_EQ(ZEPL_Check(3), 0);
  EXPECT_EQ(ZEPL_Check(8), 1);
  EXPECT_EQ(framesOf(2), 2048);  // the voice's own copy plays on
}

TEST_F(SoundTest, EmptyClipIsAClipThatEndsAtOnce) {
  lmtest::writeFile("pcm/V.PCM", bankBytes({2, 0, 2}));
  Sound mem(0, "V.PCM", 1);
  ASSERT_EQ(mem.numMax, 3);
  mem.play(0);
  mem.play(1);  // replaces clip 0
  EXPECT_EQ(ZEPL_Check(0), 1);
  EXPECT_EQ(framesOf(1), 0);
  EXPECT_EQ(ZEPL_Check(0), 0);
}

TEST_F(SoundTest, DamagedBankFilesLoadEmpty) {
  // Damage to the count or the length table: nothing can be trusted.
  const std::vector<Bytes> damaged = {
      {},                                       // empty file
      {0, 0, 0, 0, 0, 0},                       // cut inside the count
      bankBytes({}),                            // no clips
      [] { Bytes b = bankBytes({4, 4}); b.resize(14); return b; }(),  // cut inside the table
      [] { Bytes b; lmtest::put32(b, 0); lmtest::put32(b, 0xFFFFFFFF); lmtest::put32(b, 1); return b; }(),
  };
  for (size_t i = 0; i < damaged.size(); ++i) {
    lmtest::writeFile("pcm/BAD.PCM", damaged[i]);
    for (int memory : {0, 1}) {
      Sound bank(0, "BAD.PCM", memory);
      EXPECT_EQ(bank.numMax, 0) << "case " << i << " memory " << memory;
      EXPECT_EQ(bank.fp, nullptr);
      bank.play(0);
      bank.playVoice(0);
      EXPECT_EQ(ZEPL_Check(0), 0);
      EXPECT_EQ(bank.check(), 0);
    }
  }
  // Bytes after the last clip are not an error.
  Bytes extra = bankBytes({4});
  extra.push_back(0);
  lmtest::writeFile("pcm/OK.PCM", extra);
  EXPECT_EQ(Sound(0, "OK.PCM", 1).numMax, 1);
}

// One damaged length or a file cut short costs only the clips the file does
// not hold: the others still play (a voice bank keeps its voice and the
// speaking face its lips).
TEST_F(SoundTest, AClipTheFileDoesNotHoldIsRefusedAlone) {
  struct Case {
    Bytes file;
    std::vector<bool> plays;
  };
  const std::vector<Case> cases = {
      {[] { Bytes b = bankBytes({4, 4, 4}); b.pop_back(); return b; }(), {true, true, false}},
      {[] { Bytes b = bankBytes({4, 4, 4}); b[19] = 0x80; return b; }(), {true, true, false}},  // last length 0x80000004
      {[] { Bytes b = bankBytes({4, 4, 4}); b[13] = 0x10; return b; }(), {true, false, false}},  // middle one huge
      {[] { Bytes b = bankBytes({4}); b[8] = 0x80; return b; }(), {false}},                      // a 2 GiB clip
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    lmtest::writeFile("pcm/HURT.PCM", cases[i].file);
    for (int memory : {0, 1}) {
      Sound bank(0, "HURT.PCM", memory);
      ASSERT_EQ(bank.numMax, static_cast<int>(cases[i].plays.size())) << "case " << i << " memory " << memory;
      for (size_t c = 0; c < cases[i].plays.size(); ++c) {
        ZEPL_StopSound(0);
        bank.play(static_cast<int>(c));
        EXPECT_EQ(ZEPL_Check(0) != 0, cases[i].plays[c]) << "case " << i << " clip " << c << " memory " << memory;
        EXPECT_EQ(bank.data[c] != nullptr, cases[i].plays[c]) << "case " << i << " clip " << c;
      }
      ZEPL_StopSound(0);
    }
  }
  // A clip refused is still played once its bytes are there (streaming).
  Bytes cut = bankBytes({4, 4});
  Bytes whole = cut;
  cut.pop_back();
  lmtest::writeFile("pcm/GROW.PCM", cut);
  Sound voice(2, "GROW.PCM", 0);
  voice.play(1);
  EXPECT_EQ(ZEPL_Check(2), 0);
  lmtest::writeFile("pcm/GROW.PCM", whole);
  voice.play(1);
  EXPECT_EQ(ZEPL_Check(2), 1);
}

TEST_F(SoundTest, StreamingClipTheFileNoLongerHoldsIsNotPlayed) {
  Bytes file = bankBytes({4, 4});
  lmtest::writeFile("pcm/V.PCM", file);
  Sound voice(2, "V.PCM", 0);
  file.resize(22);  // clip 1 now ends two bytes early
  lmtest::writeFile("pcm/V.PCM", file);
  voice.play(1);
  EXPECT_EQ(voice.data[1], nullptr);
  EXPECT_EQ(ZEPL_Check(2), 0);
  voice.play(0);
  EXPECT_EQ(ZEPL_Check(2), 1);
}
