// Data that claims to be huge (files grown to 2 GiB by holes, huge counts in
// kirune.ini): wall time and peak memory of a headless run to step 300, with
// no saves and with a save folder (which needs the story's id; the start of
// such a run should stay under half a second).
// LM_SPARSE_PLAYER=<path> measures another build of the player.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/ChildRun.h"
#include "tests/e2e/SparseData.h"

namespace {

const std::string kBuild = LM_BINARY_DIR;

void BM_Sparse(benchmark::State& state) {
  const auto c = static_cast<lmtest::sparse::Case>(state.range(0));
  const bool saves = state.range(1) != 0;
  state.SetLabel(std::string(lmtest::sparse::name(c)) + (saves ? "/saves" : ""));
  const char* other = std::getenv("LM_SPARSE_PLAYER");
  const std::string player = other && *other ? other : kBuild + "/lmplayer";
  namespace fs = std::filesystem;
  const std::string peakTool = kBuild + "/tests/lm_peak";
  if (::access(peakTool.c_str(), X_OK) != 0) {
    state.SkipWithError("build the lm_peak target first");
    return;
  }
  char tmpl[] = "/tmp/lm-sparse-XXXXXX";
  if (!::mkdtemp(tmpl)) {
    state.SkipWithError("no scratch directory");
    return;
  }
  const std::string work = tmpl, data = work + "/data";
  std::string error;
  if (!lmtest::sparse::make(c, kBuild + "/demo-data", data, error)) {
    state.SkipWithError(error.c_str());
    fs::remove_all(work);
    return;
  }
  long peakKb = 0;
  int code = 0;
  for (auto _ : state) {
    std::vector<std::string> args = {player, "--data", data, "--headless", "--steps", "300"};
    if (saves) args.insert(args.end(), {"--save-dir", work + "/saves"});
    lmtest::Measured m = lmtest::runMeasured(args, work, peakTool);
    state.SetIterationTime(m.seconds);
    peakKb = std::max(peakKb, m.peakKb);
    code = m.code;
  }
  state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
  state.counters["exit"] = code;
  fs::remove_all(work);
}
BENCHMARK(BM_Sparse)->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// lmtool's story commands on EVENT.BIN grown to 2 GiB by a hole: refused in
// one line (exit 2) with little memory, never read whole or aborted.
void BM_ToolSparse(benchmark::State& state) {
  static const char* const kCommands[] = {"check", "graph", "explore", "dump"};
  const std::string command = kCommands[state.range(0)];
  state.SetLabel(command);
  namespace fs = std::filesystem;
  const std::string peakTool = kBuild + "/tests/lm_peak";
  if (::access(peakTool.c_str(), X_OK) != 0) {
    state.SkipWithError("build the lm_peak target first");
    return;
  }
  char tmpl[] = "/tmp/lm-sparse-tool-XXXXXX";
  if (!::mkdtemp(tmpl)) {
    state.SkipWithError("no scratch directory");
    return;
  }
  const std::string work = tmpl, data = work + "/data";
  std::string error;
  if (!lmtest::sparse::make(lmtest::sparse::Case::EventTable, kBuild + "/demo-data", data, error)) {
    state.SkipWithError(error.c_str());
    fs::remove_all(work);
    return;
  }
  std::vector<std::string> args = {kBuild + "/tools/lmtool", "story", command, data};
  if (command == "graph") args.insert(args.end(), {"-o", work + "/g.dot"});
  if (command == "dump") args.insert(args.end(), {"-o", work + "/d.story"});
  long peakKb = 0;
  int code = 0;
  for (auto _ : state) {
    lmtest::Measured m = lmtest::runMeasured(args, work, peakTool);
    state.SetIterationTime(m.seconds);
    peakKb = std::max(peakKb, m.peakKb);
    code = m.code;
  }
  state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
  state.counters["exit"] = code;
  fs::remove_all(work);
}
BENCHMARK(BM_ToolSparse)->DenseRange(0, 3)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
