#include "tools/author/story_explore.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <set>

#include <nlohmann/json.hpp>

#include "diagnostics/MissingFiles.h"
#include "game/Game.h"
#include "platform/Notice.h"
#include "shell/Key.h"
#include "sound/Sound.h"
#include "tools/author/story_data.h"
#include "tools/author/story_walk.h"

namespace story {
namespace {

// A chart error the player shows without our having foreseen it.
bool g_unforeseenError = false;
void noteError(const char*, const char*) { g_unforeseenError = true; }

// The interpreter states a fetched byte may enter, and the instructions.
bool playable(int phase) {
  if (phase >= 0x80) return phase <= 0xFF && !isChartErrorByte(static_cast<uint8_t>(phase));
  return phase >= 0 && !isChartErrorByte(static_cast<uint8_t>(phase));
}

class Explorer {
 public:
  Explorer(const StoryData& data, const ExploreLimits& limits, Exploration& out)
      : data_(data), limits_(limits), out_(out) {}

  void run() {
    se_ = std::make_unique<Sound>(0, data_.syspcm.c_str(), 1);
    std::deque<std::vector<int>> queue{{}};
    long queued = 1;
    while (!queue.empty()) {
      std::vector<int> prefix = queue.front();
      queue.pop_front();
      std::vector<std::vector<int>> branches;
      ExploreRoute route = play(prefix, branches);
      out_.routes.push_back(route);
      for (auto& b : branches) {
        if (queued >= limits_.maxRoutes) {
          out_.cut = true;
          break;
        }
        queue.push_back(b);
        ++queued;
      }
    }
    se_.reset();
  }

 private:
  void chartError(ExploreRoute& r, long chart, long offset, int byte) {
    r.end = "chart-error";
    for (const auto& e : out_.chartErrors)
      if (e.chart == chart && e.offset == offset && e.byte == byte) return;
    out_.chartErrors.push_back(ExploreChartError{chart, offset, byte});
  }

  // Whether the next step would stop the story with a chart error; records it.
  bool errorAhead(const Game& g, ExploreRoute& r) {
    if (g.phase == kSeek && data_.chartOffset(g.chart) < 0) {
      chartError(r, g.chart, -1, g.chart);
      return true;
    }
    if (g.phase == kBranch && g.fetchedAt >= 0 && static_cast<size_t>(g.fetchedAt) + 1 < data_.event.size()) {
      int operand = data_.event[static_cast<size_t>(g.fetchedAt) + 1];
      int col = operand == 0 ? 0 : Game::stepState().result;
      if (data_.successor(g.chart, col) < 0) {
        chartError(r, g.chart, g.fetchedAt, g.chart);
        return true;
      }
    }
    if (g.phase != kStopped && !playable(g.phase)) {
      chartError(r, g.chart, g.fetchedAt, g.phase);
      return true;
    }
    return false;
  }

  // Plays one route; choices past `prefix` take the first answer, and the
  // other answers of each such choice become new routes in `branches`.
  ExploreRoute play(const std::vector<int>& prefix, std::vector<std::vector<int>>& branches) {
    Game::resetStepState();
    KeyReset();
    g_unforeseenError = false;
    ExploreRoute r;
    Game game;
    std::set<std::pair<int, int>> entered;
    unsigned held = 0;
    int target = 0;
    bool choosing = false;
    for (long step = 1;; ++step) {
      if (step > limits_.maxSteps) {
        r.end = "limit";
        r.steps = step - 1;
        break;
      }
      if (game.phase == kSeek) {
        reached_.insert(game.chart);
        if (!entered.insert({game.chart, Game::stepState().result}).second) {
          r.end = "loop";
          r.steps = step - 1;
          break;
        }
      }
      if (errorAhead(game, r)) {
        r.steps = step - 1;
        break;
      }
      if (game.phase == kChoiceOpen && game.select && !choosing) {
        choosing = true;
        size_t k = r.choices.size();
        int items = game.select->max;
        if (k < prefix.size()) {
          target = prefix[k];
        } else {
          target = 0;
          for (int i = 1; i < items; ++i) {
            std::vector<int> b = r.choices;
            b.push_back(i);
            branches.push_back(b);
          }
        }
        r.choices.push_back(target);
      }
      if (game.phase != kChoiceOpen) choosing = false;
      // Keys: each press is followed by a step with every key up.
      if (held) {
        keyAction(held, 0);
        held = 0;
      } else if (game.phase == kMessageWait) {
        held = VK_RETURN;
      } else if (game.phase == kChoiceOpen && game.select) {
        held = game.select->select < target ? VK_DOWN : VK_RETURN;
      }
      if (held) keyAction(held, 1);
      game.main(se_.get());
      if (g_unforeseenError) {
        chartError(r, game.chart, game.fetchedAt, -1);
        r.steps = step;
        break;
      }
      if (game.phase == kStopped) {
        r.end = "ending";
        r.steps = step;
        endings_.insert(game.chart);
        break;
      }
    }
    if (held) keyAction(held, 0);
    r.endChart = game.chart;
    return r;
  }

 public:
  std::set<long> reached_;
  std::set<long> endings_;

 private:
  const StoryData& data_;
  const ExploreLimits& limits_;
  Exploration& out_;
  std::unique_ptr<Sound> se_;
};

std::string minutes(long steps) {
  char b[32];
  std::snprintf(b, sizeof b, "%.1f", steps * kStepMs / 60000.0);
  return b;
}

std::string hexOffset(long v) {
  char b[32];
  std::snprintf(b, sizeof b, "0x%lX", v);
  return b;
}

std::string numbers(const std::vector<long>& v) {
  std::string s;
  for (long n : v) s += (s.empty() ? "" : " ") + std::to_string(n);
  return s.empty() ? "none" : s;
}

}  // namespace

bool exploreStory(const std::string& dir, const ExploreLimits& limits, Exploration& out, std::string& error) {
  out = Exploration{};
  InDataDir in(dir);
  if (!in.ok()) {
    error = in.error();
    return false;
  }
  StoryData data = readStoryData();
  if (!data.eventFound || !data.startupFound) {
    error = std::string("'") + dir + "' has no " + (data.eventFound ? "ASTARTUP.BIN" : "EVENT.BIN") +
            ": the story cannot start";
    return false;
  }
  diagnostics::MissingFiles missing;
  diagnostics::MissingFiles::install(&missing);
  platform::setNoticeBox(&noteError);
  Explorer ex(data, limits, out);
  ex.run();
  platform::setNoticeBox(nullptr);
  missing.flush();
  diagnostics::MissingFiles::install(nullptr);
  KeyReset();
  Game::resetStepState();

  out.chartsReached.assign(ex.reached_.begin(), ex.reached_.end());
  out.endings.assign(ex.endings_.begin(), ex.endings_.end());
  Walk w = walkStory(data);  // for the charts that have streams
  out.chartsTotal = static_cast<long>(w.byOffset.size());
  for (const auto& [off, charts] : w.byOffset) {
    bool hit = false;
    for (long c : charts) hit = hit || ex.reached_.count(c);
    if (!hit) out.neverReached.push_back(charts.front());
  }
  // Each file once, as this system spells paths; a place tried twice (SYSDIR
  // and PCMDIR the same folder) is named once.
  for (const auto& m : missing.missing()) {
    std::vector<std::string> places;
    for (const auto& d : m.dirs) {
      const std::string place = hostPath(d, m.name);
      if (std::find(places.begin(), places.end(), place) == places.end()) places.push_back(place);
    }
    std::string line;
    for (const std::string& p : places) line += (line.empty() ? "" : " or ") + p;
    if (std::find(out.missingFiles.begin(), out.missingFiles.end(), line) == out.missingFiles.end())
      out.missingFiles.push_back(line);
  }
  return true;
}

std::string explorationText(const Exploration& e) {
  std::string s;
  long reachedStreams = e.chartsTotal - static_cast<long>(e.neverReached.size());
  s += "routes: " + std::to_string(e.routes.size()) + (e.cut ? " (more were left out: --max-routes)" : "") + "\n";
  s += "charts reached: " + std::to_string(reachedStreams) + " of " + std::to_string(e.chartsTotal) + " (" +
       numbers(e.chartsReached) + ")\n";
  s += "never reached: " + numbers(e.neverReached) + "\n";
  s += "endings: " + numbers(e.endings) + "\n";
  s += "chart errors:";
  if (e.chartErrors.empty()) s += " none";
  s += "\n";
  for (const auto& c : e.chartErrors) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%02X", c.byte);
    s += "  CHART ERROR " + std::string(b) + " in chart " + std::to_string(c.chart) +
         (c.offset >= 0 ? ", EVENT.BIN offset " + hexOffset(c.offset) : ", which has no stream") + "\n";
  }
  s += "missing files:";
  if (e.missingFiles.empty()) s += " none";
  s += "\n";
  for (const auto& m : e.missingFiles) s += "  " + m + "\n";
  long shortest = -1, longest = -1;
  for (const auto& r : e.routes) {
    if (shortest < 0 || r.steps < shortest) shortest = r.steps;
    longest = std::max(longest, r.steps);
  }
  if (!e.routes.empty())
    s += "route length: " + std::to_string(shortest) + " to " + std::to_string(longest) + " steps (" +
         minutes(shortest) + " to " + minutes(longest) + " min, reading at once)\n";
  for (size_t i = 0; i < e.routes.size(); ++i) {
    const auto& r = e.routes[i];
    std::string picks;
    for (int c : r.choices) picks += (picks.empty() ? "" : " ") + std::to_string(c + 1);
    s += "  route " + std::to_string(i + 1) + ": answers " + (picks.empty() ? "-" : picks) + ", " +
         std::to_string(r.steps) + " steps (" + minutes(r.steps) + " min), " + r.end + " in chart " +
         std::to_string(r.endChart) + "\n";
  }
  return s;
}

std::string explorationJson(const Exploration& e) {
  nlohmann::ordered_json j;
  j["charts_total"] = e.chartsTotal;
  j["charts_reached"] = e.chartsReached;
  j["charts_never_reached"] = e.neverReached;
  j["endings"] = e.endings;
  j["chart_errors"] = nlohmann::json::array();
  for (const auto& c : e.chartErrors)
    j["chart_errors"].push_back({{"chart", c.chart}, {"offset", c.offset}, {"byte", c.byte}});
  j["missing_files"] = e.missingFiles;
  j["routes"] = nlohmann::json::array();
  for (const auto& r : e.routes)
    j["routes"].push_back({{"choices", r.choices},
                           {"steps", r.steps},
                           {"minutes", static_cast<double>(r.steps) * kStepMs / 60000.0},
                           {"end", r.end},
                           {"end_chart", r.endChart}});
  j["routes_cut"] = e.cut;
  return j.dump(2) + "\n";
}

}  // namespace story
