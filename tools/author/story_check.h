#pragma once
// Checks a built story before anyone plays it: every file it names is there
// and decodes, pictures fit how they are shown, every character has a glyph,
// text fits its window and is not hidden by a choice, every chart is reached
// and every successor exists.
#include <string>
#include <vector>

#include "tools/author/story_compiler.h"

namespace story {

struct Finding {
  bool error = false;  // else a warning
  std::string kind;    // short tag: "missing-file", "wide-line", ...
  long chart = -1;     // chart the finding belongs to, -1 for the whole story
  long offset = -1;    // EVENT.BIN offset of the instruction, -1 for none
  bool wholeChart = false;  // about the chart itself: named by its own script line
  std::string file;    // the data file concerned, when there is no offset
  std::string message;
  std::string hint;    // what to do; may be empty
};

struct CheckReport {
  std::vector<Finding> findings;
  int errors() const;
  int warnings() const;
};

// Checks the story whose kirune.ini is in `dir`. A `dir` without a readable
// kirune.ini gives one error.
CheckReport checkStory(const std::string& dir);

// Whether `files` (a compiled script) is the story in `dir`: same EVENT.BIN.
bool scriptMatches(const StoryFiles& files, const std::string& dir);

// One finding as text: "WHERE: error|warning: MESSAGE", and the hint on an
// indented second line. WHERE is the script line when `source` (the
// compiled script of this very story) is given, else the chart and offset.
std::string formatFinding(const Finding& f, const StoryFiles* source);

}  // namespace story
