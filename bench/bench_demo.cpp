// The demo played headless with no shots: how much faster than real time
// (one logic step stands for 16 ms) the whole program runs, start-up included.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

const std::string kBuild = LM_BINARY_DIR;

void BM_HeadlessDemo(benchmark::State& state) {
  const long steps = state.range(0);
  const std::string cmd = "'" + kBuild + "/lmplayer' --data '" + kBuild +
                          "/demo-data' --headless --steps " + std::to_string(steps) +
                          " --input 1:enter,19:down --input-repeat 37 >/dev/null 2>&1";
  double seconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) {
      state.SkipWithError("lmplayer failed (is the demo built?)");
      return;
    }
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(s);
    seconds += s;
  }
  const double played = static_cast<double>(steps) * 0.016 * state.iterations();
  state.counters["x_realtime"] = played / seconds;
  state.counters["steps_per_s"] = static_cast<double>(steps) * state.iterations() / seconds;
}
BENCHMARK(BM_HeadlessDemo)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
