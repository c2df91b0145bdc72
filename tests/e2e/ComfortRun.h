#pragma once
// Scripted headless plays of the demo for the player's own layer: key lists,
// the trace's waiting moments and the frame hashes of each drawn step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "PlayerRun.h"
#include "TraceFile.h"

namespace lmtest {

inline std::string comfortBuildDir() {
  const char* env = std::getenv("LM_BINARY_DIR");
  if (env && *env) return env;
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? binaryDir() : self.parent_path().parent_path().string();
}

// The demo's pictures, faces and sounds with the frozen copy of its script
// (tests/e2e/data/pinned.story), built once per test program into a folder
// removed at exit: later edits of the demo do not move these tests' steps.
inline std::string demoData() {
  static const std::string dir = [] {
    namespace fs = std::filesystem;
    const std::string demo = comfortBuildDir() + "/demo-data";
    if (!fs::exists(demo + "/kirune.ini")) throw std::runtime_error("demo-data is not built (target demo_data)");
    std::string tmpl = (fs::temp_directory_path() / "lmtest-pinned-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    static std::string made = tmpl;
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(made, ec);
    });
    const std::string data = made + "/data";
    fs::copy(demo, data, fs::copy_options::recursive);
    PlayerResult built = runProgram(comfortBuildDir() + "/tools/lmtool",
                                    "story build '" + sourceDir() + "/tests/e2e/data/pinned.story' '" + data + "'", made);
    if (built.code != 0) throw std::runtime_error("pinned story: " + built.err);
    return data;
  }();
  return dir;
}

// A stretch of steps in which the story waits: phase 21 (a message) or 50 (a choice).
struct Wait {
  int phase;
  long first, last;
  int chart;
};

inline std::vector<Wait> waits(const std::vector<TraceStep>& t) {
  std::vector<Wait> out;
  for (const TraceStep& s : t) {
    if (s.scene != "game" || (s.phase != 21 && s.phase != 50)) continue;
    if (!out.empty() && out.back().phase == s.phase && out.back().last == s.n - 1) out.back().last = s.n;
    else out.push_back({s.phase, s.n, s.n, s.chart});
  }
  return out;
}

// Input entries by step; at one step, in the order added.
class Script {
 public:
  // Enter through the opening, title and select screens, then every 200 steps:
  // each message and choice waits long enough for its voice to end.
  static Script demo(long until, bool english) {
    Script s;
    for (long k = 100; k < 520 && k < until; k += 40) s.add(k, "enter");
    for (long k = 600; k < until; k += 200) s.add(k, "enter");
    if (english) s.add(700, "down");  // the language choice waits from step 602 to 800
    return s;
  }
  Script& add(long step, const std::string& what) {
    entries_.emplace(step, what);
    return *this;
  }
  // Entries before `step`.
  Script before(long step) const {
    Script s;
    for (const auto& [k, v] : entries_)
      if (k < step) s.entries_.emplace(k, v);
    return s;
  }
  // Entries from `from` on, moved to start at `to`.
  Script movedFrom(long from, long to) const {
    Script s;
    for (const auto& [k, v] : entries_)
      if (k >= from) s.entries_.emplace(k - from + to, v);
    return s;
  }
  Script& merge(const Script& o) {
    entries_.insert(o.entries_.begin(), o.entries_.end());
    return *this;
  }
  std::string list() const {
    std::string out;
    for (const auto& [k, v] : entries_) out += (out.empty() ? "" : ",") + std::to_string(k) + ":" + v;
    return out;
  }

 private:
  std::multimap<long, std::string> entries_;
};

struct Played {
  int code = -1;
  std::string err;
  std::vector<TraceStep> trace;
  std::map<long, std::string> frames;  // last step of each drawn frame -> pixel hash
};

// Plays the demo headless for `steps` steps in `dir` with the given input and
// extra options (saves, settings, shots).
inline Played playDemo(const std::string& dir, long steps, const Script& input, const std::string& extra = "") {
  Played p;
  const std::string list = input.list();
  PlayerResult r = runPlayer("--data '" + demoData() + "' --headless --steps " + std::to_string(steps) +
                                 (list.empty() ? "" : " --input " + list) + " --trace '" + dir +
                                 "/t.txt' --frame-hashes '" + dir + "/f.txt' " + extra,
                             dir);
  p.code = r.code;
  p.err = r.err;
  p.trace = readTraceFile(dir + "/t.txt");
  for (const std::string& l : lines(slurp(dir + "/f.txt"))) {
    std::istringstream in(l);
    long step;
    std::string hash;
    in >> step >> hash;
    p.frames[step] = hash;
  }
  return p;
}

// Frames of `b` from step `bFrom` against those of `a` from `aFrom`, `count`
// steps on; the number that differ (a missing frame counts as different).
inline int differingFrames(const Played& a, long aFrom, const Played& b, long bFrom, long count) {
  int n = 0;
  for (long k = 0; k < count; ++k) {
    auto x = a.frames.find(aFrom + k), y = b.frames.find(bFrom + k);
    if (x == a.frames.end() || y == b.frames.end() || x->second != y->second) ++n;
  }
  return n;
}

}  // namespace lmtest
