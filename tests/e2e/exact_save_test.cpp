// Saves made while a voice still sounds continue exactly: a save made 1, 3 or
// 50 steps into a voiced message, loaded in a fresh run, gives the next 300
// frames of the uninterrupted run, and its sound, after the buffers the load
// drops, sample for sample; what the fresh run had mixed before the load is
// never heard.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "ComfortRun.h"

namespace lmtest {
namespace {

constexpr long kCompare = 300;
constexpr size_t kBuffer = 8192;  // one output buffer of the sound device
constexpr size_t kQueued = 8;     // buffers in circulation
constexpr size_t kMatch = 80;     // buffers that must agree after the load

// The samples of a WAV file the player wrote (the "data" chunk).
std::string samples(const std::string& path) {
  const std::string f = slurp(path);
  for (size_t at = 12; at + 8 <= f.size();) {
    uint32_t len;
    std::memcpy(&len, f.data() + at + 4, 4);
    if (f.compare(at, 4, "data") == 0) return f.substr(at + 8, std::min<size_t>(len, f.size() - at - 8));
    at += 8 + len + (len & 1);
  }
  return {};
}

std::string bufferAt(const std::string& s, size_t i) { return i * kBuffer < s.size() ? s.substr(i * kBuffer, kBuffer) : ""; }
bool silent(const std::string& b) { return !b.empty() && b.find_first_not_of('\0') == std::string::npos; }

// Buffers played by virtual time of step `s` (16 ms steps): only where to start looking.
size_t roughBuffer(long s) { return static_cast<size_t>(s * 16 * 44100 / 2048000); }

// `continued` (a run that loaded at its step `at`) sounds, after the buffers
// the load dropped, as `plain` from its step `from` on, sample for sample;
// `alone` is the same run without the load, identical up to it.
void expectSoundGoesOn(const std::string& plainSound, long from, const std::string& loadedSound,
                       const std::string& unloadedSound, long at, bool mustDrop) {
  // The load shows first where the two fresh runs part.
  const size_t a = roughBuffer(from), b = roughBuffer(at);
  size_t parted = b > 2 * kQueued ? b - 2 * kQueued : 0;
  while (parted * kBuffer < loadedSound.size() && bufferAt(loadedSound, parted) == bufferAt(unloadedSound, parted))
    ++parted;
  ASSERT_LT(parted, b + 2 * kQueued) << "the load changed nothing of the sound";
  // The continued sound lines up with the uninterrupted run's at one
  // distance only (searched near the steps' times).
  std::set<long> distances;
  auto agree = [&](size_t i, size_t j, size_t count) {
    return (i + count) * kBuffer <= plainSound.size() && (j + count) * kBuffer <= loadedSound.size() &&
           plainSound.compare(i * kBuffer, count * kBuffer, loadedSound, j * kBuffer, count * kBuffer) == 0;
  };
  for (size_t j = parted; j < parted + 2 * kQueued; ++j)
    for (size_t i = a > 2 * kQueued ? a - 2 * kQueued : 0; i < a + 2 * kQueued; ++i) {
      bool sound = false;
      for (size_t k = 0; k < kMatch && !sound; ++k) sound = !silent(bufferAt(loadedSound, j + k));
      if (sound && agree(i, j, kMatch)) distances.insert(static_cast<long>(i) - static_cast<long>(j));
    }
  ASSERT_EQ(distances.size(), 1u) << "the continued sound is not the uninterrupted run's";
  const long d = *distances.begin();
  size_t from = parted;
  while (from < parted + kQueued + 1 && !agree(from + d, from, kMatch)) ++from;
  // From there to the end of the run, sample for sample.
  const size_t n = std::min(plainSound.size() - (from + d) * kBuffer, loadedSound.size() - from * kBuffer);
  EXPECT_GT(n, kMatch * kBuffer);
  size_t firstDiffering = 0;
  while (firstDiffering * kBuffer < n && agree(from + d + firstDiffering, from + firstDiffering, 1)) ++firstDiffering;
  EXPECT_GE(firstDiffering * kBuffer, n) << "saved at step " << from << ", loaded at " << at
                                          << "; the sound differs from buffer " << firstDiffering << " after the load on";
  // Before it only silence: the buffers mixed before the load were dropped,
  // where the run without the load had its own sound queued.
  EXPECT_LE(from - parted, kQueued);
  bool hadSound = false;
  for (size_t k = parted; k < from; ++k) EXPECT_TRUE(silent(bufferAt(loadedSound, k))) << "buffer " << k;
  for (size_t k = parted; k < parted + kQueued; ++k) hadSound = hadSound || !silent(bufferAt(unloadedSound, k));
  if (mustDrop) {
    EXPECT_TRUE(hadSound) << "the fresh run had no sound queued to drop";
  }
}

struct Case {
  const char* name;
  bool english;
  int which;    // the n-th message wait with its voice still sounding (from 0)
  long into;    // steps into that wait at which F5 is pressed
  long loadAt;  // step of F9 in the fresh run
};

class ExactSave : public ::testing::TestWithParam<Case> {
 protected:
  ScratchDir dir;
};

TEST_P(ExactSave, FramesAndSoundGoOnAsInTheUninterruptedRun) {
  const Case c = GetParam();
  const std::string base = dir.path();
  for (const char* d : {"/c", "/a", "/b", "/n"}) makeDirs(base + d);
  const Script keys = Script::demo(4000, c.english);
  Played plain = playDemo(base + "/c", 3000, keys, "--audio-out '" + base + "/c/s.wav'");
  ASSERT_EQ(plain.code, 0) << plain.err;
  const std::string plainSound = samples(base + "/c/s.wav");
  // Voiced message waits: the sound right after the wait begins is not silent.
  long saveAt = 0;
  int seen = 0;
  for (const Wait& w : waits(plain.trace)) {
    if (w.phase != 21 || w.last - w.first < c.into + 10) continue;
    const size_t b = roughBuffer(w.first) + 2;
    if (silent(bufferAt(plainSound, b)) || silent(bufferAt(plainSound, b + 1))) continue;
    if (seen++ == c.which) saveAt = w.first + c.into;
  }
  ASSERT_GT(saveAt, 0) << "no voiced message found";

  Script withSave = keys.before(saveAt + 1);
  withSave.add(saveAt, "f5");
  Played saving = playDemo(base + "/a", saveAt + 1, withSave, "--save-dir '" + base + "/saves'");
  ASSERT_EQ(saving.code, 0) << saving.err;

  Script loading = keys.before(c.loadAt);
  loading.add(c.loadAt, "f9").merge(keys.movedFrom(saveAt, c.loadAt));
  const long steps = c.loadAt + kCompare + 10;
  Played loaded = playDemo(base + "/b", steps, loading,
                           "--save-dir '" + base + "/saves' --audio-out '" + base + "/b/s.wav'");
  ASSERT_EQ(loaded.code, 0) << loaded.err;
  EXPECT_TRUE(loaded.err.empty()) << loaded.err;
  EXPECT_EQ(differingFrames(plain, saveAt, loaded, c.loadAt, kCompare), 0);

  // The fresh run without the load, for what it would have played.
  Played unloaded = playDemo(base + "/n", steps, keys.before(c.loadAt + 1), "--audio-out '" + base + "/n/s.wav'");
  ASSERT_EQ(unloaded.code, 0) << unloaded.err;
  const std::string loadedSound = samples(base + "/b/s.wav"), unloadedSound = samples(base + "/n/s.wav");

  expectSoundGoesOn(plainSound, saveAt, loadedSound, unloadedSound, c.loadAt, c.loadAt == 200);
}

INSTANTIATE_TEST_SUITE_P(
    DemoVoices, ExactSave,
    ::testing::Values(Case{"JapaneseOneStepIn", false, 0, 1, 200}, Case{"JapaneseThreeStepsIn", false, 1, 3, 200},
                      Case{"JapaneseFiftyStepsIn", false, 2, 50, 200}, Case{"EnglishThreeStepsIn", true, 0, 3, 200},
                      Case{"EnglishOneStepIn", true, 1, 1, 200}),
    [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace lmtest

namespace lmtest {
namespace {

// Backspace a few steps after a voiced message was answered goes back to it
// with its voice where it was: the run goes on as it did from that Decide.
TEST(ExactRollback, BackAcrossAVoicedMessageGoesOnAsTheFirstPass) {
  ScratchDir dir;
  const std::string base = dir.path();
  for (const char* d : {"/p", "/c", "/r"}) makeDirs(base + d);
  // The first voiced message, answered five steps into its wait, voice still sounding.
  const Script demo = Script::demo(4000, false);
  Played probe = playDemo(base + "/p", 2000, demo, "--audio-out '" + base + "/p/s.wav'");
  ASSERT_EQ(probe.code, 0) << probe.err;
  const std::string probeSound = samples(base + "/p/s.wav");
  long decide = 0;
  for (const Wait& w : waits(probe.trace)) {
    const size_t b = roughBuffer(w.first) + 2;
    if (!decide && w.phase == 21 && !silent(bufferAt(probeSound, b)) && !silent(bufferAt(probeSound, b + 1)))
      decide = w.first + 5;
  }
  ASSERT_GT(decide, 0) << "no voiced message found";
  Script keys = demo.before(decide);
  keys.add(decide, "enter").merge(demo.movedFrom(decide + 1, decide + 1));
  Played plain = playDemo(base + "/c", decide + kCompare + 10, keys, "--audio-out '" + base + "/c/s.wav'");
  ASSERT_EQ(plain.code, 0) << plain.err;
  // Back from a step well into what followed, then Decide again at once.
  const long back = decide + 40;
  Script s = keys.before(back);
  s.add(back, "backspace").merge(keys.movedFrom(decide, back));
  Played rolled = playDemo(base + "/r", back + kCompare + 10, s, "--audio-out '" + base + "/r/s.wav'");
  ASSERT_EQ(rolled.code, 0) << rolled.err;
  EXPECT_EQ(differingFrames(plain, decide, rolled, back, kCompare), 0) << "answered at " << decide;
  const std::string plainSound = samples(base + "/c/s.wav");
  expectSoundGoesOn(plainSound, decide, samples(base + "/r/s.wav"), plainSound, back, false);
}

}  // namespace
}  // namespace lmtest
