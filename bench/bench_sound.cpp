// Mixing one 8192-byte output buffer with all nine channels playing: eight
// 11025 Hz clips and one 22050 Hz voice. "play_time_pct" is the mixing time
// as a percentage of the 46.44 ms the buffer takes to play (goal: under 0.1).
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "sound/soundEffect.h"

namespace {

constexpr long kBuffer = 8192;
constexpr double kBufferSeconds = 2048.0 / 44100.0;
constexpr long kRun = 1024;  // buffers between restarts of the clips

void BM_MixNineChannels(benchmark::State& state) {
  ZesEffect fx;  // no back end installed: the mixer is driven directly
  // Long enough to play through kRun buffers: 512 bytes per buffer at 11025 Hz, 1024 at 22050 Hz.
  std::vector<signed char> clip(512 * kRun + 1), voice(1024 * kRun + 1);
  for (size_t i = 0; i < clip.size(); ++i) clip[i] = static_cast<signed char>(i * 7);
  for (size_t i = 0; i < voice.size(); ++i) voice[i] = static_cast<signed char>(i * 3);
  std::vector<char> out(kBuffer);
  _zesdevstat stat{2, 2, 44100};
  long n = 0;
  double mixing = 0;  // seconds spent in the mixer
  for (auto _ : state) {
    if (n++ % kRun == 0) {
      state.PauseTiming();
      for (int ch = 0; ch < 8; ++ch)
        fx.play(ch, clip.data() + ch, static_cast<long>(clip.size()) - ch, 1, 1, 11025);
      fx.playLocal(voice.data(), static_cast<long>(voice.size()), 1, 1, 22050);
      state.ResumeTiming();
    }
    const auto start = std::chrono::steady_clock::now();
    ZesEffect::callbackProc(&stat, &fx, out.data(), kBuffer);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
    mixing += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  // Mixing time per buffer / play time of a buffer, in percent.
  if (n > 0) state.counters["play_time_pct"] = mixing / static_cast<double>(n) / kBufferSeconds * 100.0;
}
BENCHMARK(BM_MixNineChannels);

}  // namespace

BENCHMARK_MAIN();
