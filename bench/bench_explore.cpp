// lmtool story explore over the demo: every choice path played headless in
// process. The goal is the whole demo in under 10 s.
#include <benchmark/benchmark.h>

#include "tools/author/story_explore.h"

namespace {

const std::string kDemo = std::string(LM_BINARY_DIR) + "/demo-data";

void BM_ExploreDemo(benchmark::State& state) {
  for (auto _ : state) {
    story::Exploration e;
    std::string error;
    if (!story::exploreStory(kDemo, story::ExploreLimits{}, e, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    state.counters["routes"] = static_cast<double>(e.routes.size());
    state.counters["charts"] = static_cast<double>(e.chartsReached.size());
  }
}
BENCHMARK(BM_ExploreDemo)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
