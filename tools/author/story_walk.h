#pragma once
// The story's control flow, read from its bytes. A chart's stream runs
// straight on until a branch, an undefined byte or the end of EVENT.BIN, so
// each chart decodes to one path; where a branch goes depends only on the
// chart number and the latest answer. The walk follows every (chart, answer)
// pair reachable from START.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/author/story_bytecode.h"
#include "tools/author/story_data.h"

namespace story {

struct PathStep {
  size_t offset = 0;
  Instr in;
};

// How a chart's path ends.
enum class PathEnd {
  Branch,     // a branch (0x83) leaves the chart
  EndOfFile,  // the story stops: an ending
  CutOff,     // an instruction runs past the end of the file
  BadByte,    // a byte that is no instruction
};

struct ChartPath {
  std::vector<PathStep> steps;  // instructions before the end (the branch not included)
  PathEnd end = PathEnd::EndOfFile;
  size_t endOffset = 0;   // offset of the branch, the bad byte or the cut instruction
  uint8_t byte = 0;       // the bad byte, or the branch operand
};

// Decodes the path starting at `offset`.
ChartPath decodePath(const Bytes& event, size_t offset);

// True for a byte the player reports as a chart error when it fetches it.
bool isChartErrorByte(uint8_t b);

struct WalkEdge {
  long from = 0;
  long to = 0;          // -1: no successor (a broken link)
  int column = 0;       // link column taken
  int choiceItems = 0;  // answers of the choice that picked the column (0 for a jump)
  Bytes label;          // the chosen answer's text (Shift-JIS), empty for a jump
};

struct Walk {
  std::map<long, ChartPath> paths;  // by stream offset, every chart's path
  std::vector<long> order;          // charts in the order they were first reached
  std::map<long, long> parent;      // chart -> the chart it was first reached from
  std::set<long> reached;
  std::vector<WalkEdge> edges;      // each distinct (from, column) once
  std::set<long> endings;           // charts whose path ends the story
  std::set<long> errors;            // charts whose path ends in a chart error (bad byte, no stream, no link)
  // chart numbers grouped by stream offset (charts sharing a stream are one chart to the reader)
  std::map<long, std::vector<long>> byOffset;
};

// Walks from START; every chart in the table is decoded, reached or not.
Walk walkStory(const StoryData& data);

}  // namespace story
