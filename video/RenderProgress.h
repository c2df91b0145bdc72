#pragma once
// A progress line for a long render on a terminal: steps done and the
// seconds left, redrawn in place at most once a second.
#include <chrono>
#include <cstdio>

namespace video {

class RenderProgress {
 public:
  // `total`: the steps the run will take (0: unknown, nothing shown).
  RenderProgress(std::FILE* out, long total);
  void update(long step);
  // Clears the line.
  void done();

 private:
  std::FILE* out_;
  long total_;
  std::chrono::steady_clock::time_point start_, last_;
  bool shown_ = false;
};

}  // namespace video
