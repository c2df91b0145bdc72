#include "tools/author/story_graph.h"

#include <cstdio>

#include "platform/ChildProgram.h"
#include "platform/OutputFile.h"
#include "tools/author/story_data.h"
#include "tools/author/story_walk.h"

namespace story {
namespace {

// DOT text past this size takes Graphviz a while: say so.
constexpr size_t kLargeGraphBytes = 256 * 1024;

std::string dotString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string nodeLabel(long chart, const StoryFiles* source) {
  if (source) {
    auto it = source->charts.find(chart);
    if (it != source->charts.end() && !it->second.name.empty())
      return it->second.name + "\\n#" + std::to_string(chart);
  }
  return "chart " + std::to_string(chart);
}

}  // namespace

bool storyGraph(const std::string& dir, const StoryFiles* source, std::string& dot, std::string& error) {
  InDataDir in(dir);
  if (!in.ok()) {
    error = in.error();
    return false;
  }
  StoryData data = readStoryData();
  if (!data.eventFound) {
    error = "no EVENT.BIN in '" + dir + "'";
    return false;
  }
  Walk w = walkStory(data);
  std::string s = "digraph story {\n  node [shape=box, fontname=\"sans-serif\"];\n  edge [fontname=\"sans-serif\"];\n";
  s += "  start [shape=plaintext, label=\"START\"];\n  start -> c" + std::to_string(data.start) + ";\n";
  // Reached charts, then one node for each stream nothing reaches.
  for (long c : w.order) {
    std::string attrs = "label=" + dotString(nodeLabel(c, source));
    if (w.errors.count(c)) attrs += ", color=red";
    s += "  c" + std::to_string(c) + " [" + attrs + "];\n";
  }
  for (const auto& [off, charts] : w.byOffset) {
    bool reached = false;
    for (long c : charts) reached = reached || w.reached.count(c);
    if (!reached)
      s += "  c" + std::to_string(charts.front()) + " [label=" + dotString(nodeLabel(charts.front(), source)) +
           ", style=dashed, color=gray50, fontcolor=gray50];\n";
  }
  for (const WalkEdge& e : w.edges) {
    std::string to = e.to >= 0 ? "c" + std::to_string(e.to) : "broken" + std::to_string(e.from);
    if (e.to < 0) s += "  " + to + " [shape=octagon, color=red, label=\"no successor\"];\n";
    std::string label = e.choiceItems ? toUtf8(e.label) : "";
    s += "  c" + std::to_string(e.from) + " -> " + to + (label.empty() ? "" : " [label=" + dotString(label) + "]") + ";\n";
  }
  if (!w.endings.empty()) s += "  end [shape=doublecircle, label=\"end\"];\n";
  for (long c : w.endings) s += "  c" + std::to_string(c) + " -> end;\n";
  for (long c : w.errors) {
    long off = data.chartOffset(c);
    if (off < 0 || w.paths[off].end != PathEnd::BadByte) continue;
    char label[64];
    std::snprintf(label, sizeof label, "CHART ERROR 0x%02X", w.paths[off].byte);
    s += "  err" + std::to_string(c) + " [shape=octagon, color=red, label=\"" + label + "\"];\n";
    s += "  c" + std::to_string(c) + " -> err" + std::to_string(c) + ";\n";
  }
  s += "}\n";
  dot = s;
  return true;
}

bool renderSvg(const std::string& dot, const std::string& svgPath, double seconds, std::string& error) {
  // The SVG is written like every output: into a fresh temporary of our own
  // making (or a stream), so no name Graphviz writes to can be planted.
  platform::OutputFile out;
  if (!out.open(svgPath, error)) return false;
  if (dot.size() > kLargeGraphBytes)
    std::fprintf(stderr, "lmtool story graph: Graphviz is drawing a large graph into '%s' (for at most %g s)\n",
                 svgPath.c_str(), seconds);
  const platform::ChildResult r = platform::runFilter({"dot", "-Tsvg"}, dot, out.stream(), seconds);
  switch (r.outcome) {
    case platform::ChildOutcome::Finished:
      if (r.exitCode == 0) return out.commit(error);
      error = "Graphviz's dot failed to draw " + svgPath;
      break;
    case platform::ChildOutcome::NotFound:
      error = "Graphviz is not installed (no 'dot' program): write a .dot file instead, or install graphviz";
      break;
    case platform::ChildOutcome::TimedOut: {
      char limit[32];
      std::snprintf(limit, sizeof limit, "%g", seconds);
      error = "Graphviz did not finish drawing " + svgPath + " within " + limit +
              " s: write a .dot file instead, or allow more time (--dot-seconds)";
      break;
    }
    case platform::ChildOutcome::Stopped: error = "stopped while Graphviz was drawing " + svgPath; break;
    case platform::ChildOutcome::Failed: error = "cannot run Graphviz's dot"; break;
  }
  out.abandon();
  return false;
}

}  // namespace story
