#pragma once
// A built story as the player reads it: the INI values, EVENT.BIN with the
// chart and link tables, and the character names. Read through the player's
// own code (Game, myFopen), so the tools see exactly what a run would see.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/author/story_text.h"

namespace story {

// Makes `dir` the working directory, as the player does with its data
// directory, for the object's lifetime; the player's directory table and
// font are forgotten on entry and on exit.
class InDataDir {
 public:
  explicit InDataDir(const std::string& dir);
  ~InDataDir();
  InDataDir(const InDataDir&) = delete;
  InDataDir& operator=(const InDataDir&) = delete;
  // False (with a one-line reason) when `dir` cannot be entered or holds no readable kirune.ini.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  std::string previous_;
  bool entered_ = false;
  std::string error_;
};

constexpr const char* kDirKeyNames[5] = {"SYSDIR", "PCMDIR", "ROOTDIR", "EVDIR", "FACEDIR"};
constexpr int kStepMs = 16;

struct StoryData {
  std::string dirs[5];  // directory prefixes as the player joins them (default ".\")
  std::string syspcm;   // system bank name
  int skip = 0;
  long start = 0;
  bool eventFound = false;    // EVENT.BIN opened
  bool startupFound = false;  // ASTARTUP.BIN opened
  Bytes event;                // EVENT.BIN
  std::vector<long> chartTable;  // per chart: stream offset, -1 when outside the file
  std::vector<long> linkTable;   // six successors per row, -1 outside the file
  std::vector<Bytes> names;      // default names, Shift-JIS, numbered from 1

  // The stream offset of chart `c`, or -1 when the player cannot seek there.
  long chartOffset(long c) const;
  // Successor in column `col` of the row chart `c` branches with; -1 when there is none.
  long successor(long c, int col) const;
};

// The tools hold a story file whole; no story's own file comes near this.
// A larger one (say a file that only claims 2 GiB by a hole) is refused.
constexpr long long kMaxStoryFileBytes = 16ll << 20;

// Reads an open story file whole. Throws std::length_error, with a message
// naming `name`, when it is larger than kMaxStoryFileBytes (lmtool exits 2).
void readStoryFile(std::FILE* f, const std::string& name, Bytes& out);

// Reads the story in the working directory (see InDataDir).
StoryData readStoryData();

// A Windows-style data path ("ev\E001.PF1") as the host spells it, with '/'
// and without a leading "./" ("ev/E001.PF1").
std::string hostPath(const std::string& dirPrefix, const std::string& name);

// `dataRelative` (a host path inside the data folder) as a path from the
// current folder, the data folder spelled as the user gave it; quoted for a
// shell when it holds anything but letters, digits and "._/-+,".
std::string pathFromHere(const std::string& userDir, const std::string& dataRelative);

// Shift-JIS text as UTF-8 for messages; bytes that do not convert become "\xNN".
std::string toUtf8(const Bytes& sjis);

}  // namespace story
