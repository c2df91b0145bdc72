#pragma once
// The trace file as tests read it: "STEP SCENE [phase P chart C]" per logic step.
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "PlayerRun.h"

namespace lmtest {

struct TraceStep {
  long n = 0;
  std::string scene;
  int phase = -2;
  int chart = -1;
  bool operator==(const TraceStep& o) const {
    return n == o.n && scene == o.scene && phase == o.phase && chart == o.chart;
  }
};

inline void PrintTo(const TraceStep& s, std::ostream* os) {
  *os << s.n << " " << s.scene << " phase " << s.phase << " chart " << s.chart;
}

inline std::vector<TraceStep> readTraceFile(const std::string& path) {
  std::vector<TraceStep> steps;
  for (const std::string& l : lines(slurp(path))) {
    std::istringstream in(l);
    TraceStep s;
    std::string word;
    in >> s.n >> s.scene;
    while (in >> word) {
      if (word == "phase") in >> s.phase;
      if (word == "chart") in >> s.chart;
    }
    steps.push_back(s);
  }
  return steps;
}

}  // namespace lmtest
