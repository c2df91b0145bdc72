#include "tools/author/story_walk.h"

#include <deque>

namespace story {

bool isChartErrorByte(uint8_t b) {
  // Bytes below 0x80 that are interpreter states enter that state; the rest
  // and the two gaps among the instructions are chart errors.
  return b >= 0x80 ? !isInstruction(b) : !scenario::isStatePhase(b);
}

ChartPath decodePath(const Bytes& event, size_t offset) {
  ChartPath p;
  size_t pos = offset;
  for (;;) {
    if (pos >= event.size()) {
      p.end = PathEnd::EndOfFile;
      p.endOffset = pos;
      return p;
    }
    uint8_t b = event[pos];
    if (!isInstruction(b)) {
      p.end = PathEnd::BadByte;
      p.endOffset = pos;
      p.byte = b;
      return p;
    }
    PathStep s;
    s.offset = pos;
    if (!decodeInstr(event.data(), pos, event.size(), s.in)) {
      p.end = PathEnd::CutOff;
      p.endOffset = pos;
      p.byte = b;
      return p;
    }
    if (b == kBranch) {
      p.end = PathEnd::Branch;
      p.endOffset = pos;
      p.byte = s.in.args.at(0);
      return p;
    }
    pos += s.in.size;
    p.steps.push_back(std::move(s));
  }
}

Walk walkStory(const StoryData& data) {
  Walk w;
  for (size_t c = 0; c < data.chartTable.size(); ++c) {
    long off = data.chartOffset(static_cast<long>(c));
    if (off < 0) continue;
    w.byOffset[off].push_back(static_cast<long>(c));
    if (!w.paths.count(off)) w.paths[off] = decodePath(data.event, static_cast<size_t>(off));
  }
  std::set<std::pair<long, int>> seen;  // (chart, latest answer at entry)
  std::set<std::pair<long, int>> edgeSeen;
  std::deque<std::pair<long, int>> queue{{data.start, 0}};
  seen.insert(queue.front());
  while (!queue.empty()) {
    auto [chart, result] = queue.front();
    queue.pop_front();
    if (w.reached.insert(chart).second) w.order.push_back(chart);
    long off = data.chartOffset(chart);
    if (off < 0) {
      w.errors.insert(chart);
      continue;
    }
    const ChartPath& path = w.paths[off];
    if (path.end == PathEnd::EndOfFile) w.endings.insert(chart);
    if (path.end == PathEnd::BadByte && isChartErrorByte(path.byte)) w.errors.insert(chart);
    if (path.end != PathEnd::Branch) continue;
    // The answers that may be current at the branch, and the choice that gave them.
    std::vector<int> results{result};
    const Instr* choice = nullptr;
    for (const PathStep& s : path.steps)
      if (s.in.op == kChoice) choice = &s.in;
    if (choice) {
      results.clear();
      for (int i = 0; i < static_cast<int>(choice->strings.size()); ++i) results.push_back(i);
    }
    if (path.byte == 0) results = {0};
    for (int col : results) {
      long to = data.successor(chart, col);
      if (edgeSeen.insert({chart, col}).second) {
        WalkEdge e;
        e.from = chart;
        e.to = to;
        e.column = col;
        if (path.byte != 0 && choice) {
          e.choiceItems = static_cast<int>(choice->strings.size());
          e.label = choice->strings.at(static_cast<size_t>(col));
        }
        w.edges.push_back(e);
      }
      if (to < 0) {
        w.errors.insert(chart);
        continue;
      }
      if (!w.parent.count(to) && to != data.start) w.parent[to] = chart;
      if (seen.insert({to, col}).second) queue.push_back({to, col});
    }
  }
  return w;
}

}  // namespace story
