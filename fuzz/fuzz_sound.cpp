// Fuzzes the sound bank file and clip playback: the bytes become a bank
// file, opened once in memory mode on channel 0 and once in streaming mode on
// channel 1; fuzzed clip numbers are played on both channels and as voices,
// the streaming file may be cut short between plays, and the mixer fills
// buffers through the headless audio output in virtual time. The voice rate
// ("FREQ") is fuzzed too.
//
// Input: the bank file, followed by the rate and up to 12 operations taken
// from the input's end (a plain bank file is a valid input on its own).
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/Audio.h"
#include "sound/Sound.h"
#include "sound/zepl.h"
#include "tools/author/bank_file.h"

namespace {

constexpr char kBank[] = "KI001.PCM";
constexpr int kOps = 12;
constexpr uint32_t kBufferMs = 47;  // one output buffer of 2048 frames, rounded up

enum Op : uint8_t { kPlay, kPlayVoice, kCheck, kMix, kTruncate, kReopen, kOpCount };

struct Step {
  uint8_t op;
  bool streaming;
  int num;
  uint16_t arg;
};

void writeSeeds(const std::string& dir) {
  std::vector<author::Clip> clips;
  for (int n : {10, 3, 5, 0, 4000}) {
    author::Clip c(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) c[static_cast<size_t>(i)] = static_cast<signed char>(i * 13);
    clips.push_back(c);
  }
  const std::vector<uint8_t> bank = author::encodeBank(clips);
  const Step plan[kOps] = {{kPlay, false, 4, 0},      {kPlayVoice, true, 4, 0}, {kMix, false, 0, 1},
                           {kCheck, true, 0, 0},      {kPlay, true, 1, 0},      {kTruncate, false, 0, 30},
                           {kPlay, true, 2, 0},       {kPlay, true, 4, 0},      {kReopen, true, 0, 0},
                           {kPlayVoice, false, 3, 0}, {kMix, false, 0, 3},      {kPlay, false, 5, 0}};
  for (bool withFreq : {false, true}) {
    fuzz::Tail t;
    t.flag(withFreq).put<int32_t>(withFreq ? 8000 : 0);
    for (const Step& s : plan)
      t.inRange(s.op, 0, kOpCount - 1).flag(s.streaming).put<int16_t>(static_cast<int16_t>(s.num)).put<uint16_t>(s.arg);
    fuzz::writeSeed(dir, withFreq ? "bank-8000hz" : "bank", t.input(bank));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsIfAsked(&writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InWorkDir here;
  static platform::HeadlessAudio audio;
  static uint32_t now = 0;  // virtual time never runs backwards
  static const bool ready = [] {
    platform::setAudioBackend(&audio);
    return true;
  }();
  (void)ready;

  FuzzedDataProvider in(data, size);
  const bool withFreq = in.ConsumeBool();
  const int freq = in.ConsumeIntegral<int32_t>();
  Step steps[kOps];
  for (Step& s : steps) {
    s.op = in.ConsumeIntegralInRange<uint8_t>(0, kOpCount - 1);
    s.streaming = in.ConsumeBool();
    s.num = in.ConsumeIntegral<int16_t>();
    s.arg = in.ConsumeIntegral<uint16_t>();
  }
  const std::vector<uint8_t> bank = in.ConsumeRemainingBytes<uint8_t>();

  const std::string ini = withFreq ? "[DOROVANKA]\nFREQ=" + std::to_string(freq) + "\n" : "";
  if (!fuzz::writeText("kirune.ini", ini) || !fuzz::writeFile(kBank, bank.data(), bank.size())) return 0;

  ZEPL_Init(nullptr);
  {
    std::unique_ptr<Sound> memory = std::make_unique<Sound>(0, kBank, 1);
    std::unique_ptr<Sound> streaming = std::make_unique<Sound>(1, kBank, 0);
    for (const Step& s : steps) {
      Sound* bankOf = s.streaming ? streaming.get() : memory.get();
      switch (s.op) {
        case kPlay:
          bankOf->play(s.num);
          break;
        case kPlayVoice:
          bankOf->playVoice(s.num);
          break;
        case kCheck:
          bankOf->check();
          break;
        case kMix:
          now += kBufferMs * (1 + s.arg % 4);
          audio.advanceTo(now);
          break;
        case kTruncate:
          // The streaming bank keeps its file open: later plays meet a shorter file.
          if (truncate(kBank, s.arg) != 0) {
          }
          break;
        case kReopen:
          // A bank destroyed while its clip sounds; its channel must fall silent.
          if (s.streaming) streaming = std::make_unique<Sound>(1, kBank, 0);
          else memory = std::make_unique<Sound>(0, kBank, 1);
          break;
      }
    }
    now += kBufferMs;
    audio.advanceTo(now);
  }
  ZEPL_Trash();
  std::remove(kBank);
  return 0;
}
