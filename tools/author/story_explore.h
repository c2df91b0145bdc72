#pragma once
// Plays a built story headless, in process, with the player's own Game,
// through every distinct choice path: a route branches at each choice and
// stops at an ending, a chart error, a chart it has already entered with the
// same latest answer (a loop), or the step limit.
#include <string>
#include <vector>

namespace story {

struct ExploreLimits {
  long maxRoutes = 10000;   // routes played at most; the rest are left out
  long maxSteps = 1000000;  // steps per route (about 4.4 hours of story)
};

struct ExploreRoute {
  std::vector<int> choices;  // item picked at each choice, from 0
  long steps = 0;            // logic steps of 16 ms, reading at once
  std::string end;           // "ending", "chart-error", "loop" or "limit"
  long endChart = -1;        // the chart the route ended in
};

struct ExploreChartError {
  long chart = 0;
  long offset = -1;  // EVENT.BIN offset of the instruction, -1 when the chart has no stream
  int byte = 0;      // the value the player reports ("CHART ERROR 0x..")
};

struct Exploration {
  long chartsTotal = 0;              // charts with a stream of their own
  std::vector<long> chartsReached;   // chart numbers entered, ascending
  std::vector<long> neverReached;    // one number per stream never entered
  std::vector<long> endings;         // charts in which the story ended
  std::vector<ExploreChartError> chartErrors;
  std::vector<std::string> missingFiles;  // as the player looked for them ("ev\E009.PF1")
  std::vector<ExploreRoute> routes;
  bool cut = false;  // more routes than maxRoutes
};

// Explores the story in `dir`; false with a reason when there is none.
bool exploreStory(const std::string& dir, const ExploreLimits& limits, Exploration& out, std::string& error);

// The report for people, and the JSON document.
std::string explorationText(const Exploration& e);
std::string explorationJson(const Exploration& e);

}  // namespace story
