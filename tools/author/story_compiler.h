#pragma once
// Compiles a story script (UTF-8 text, see docs/script.md) into the game's
// scenario files: "EVENT.BIN", "ASTARTUP.BIN" and "kirune.ini".
#include <map>
#include <string>
#include <vector>

#include "tools/author/story_text.h"

namespace story {

// Where a byte of EVENT.BIN came from in the script.
struct SourceMark {
  size_t offset = 0;  // first byte of the statement in EVENT.BIN
  int line = 0;
};

// A chart as the script wrote it.
struct ChartSource {
  std::string name;  // empty for a chart written by number
  int line = 0;
};

// The compiled files, in memory.
struct StoryFiles {
  Bytes event;                        // EVENT.BIN
  Bytes startup;                      // ASTARTUP.BIN
  std::string ini;                    // kirune.ini
  std::string rootDir;                // ROOTDIR as written to the INI file, "" when not named
  std::vector<std::string> warnings;  // "source:line: ..." notes that did not stop the build
  std::string source;                 // the script's name in messages
  std::vector<SourceMark> marks;      // by offset: each statement and each block start
  std::map<long long, ChartSource> charts;  // by chart number
};

// The script line of the statement holding EVENT.BIN byte `offset`; 0 when unknown.
int sourceLine(const StoryFiles& files, size_t offset);

// Compiles `scriptText`. On failure returns false and sets `error` to one
// "source:line: message" line per problem (at most 20). `sourceName` names
// the script in messages.
bool compileStory(const std::string& scriptText, StoryFiles& out, std::string* error,
                  const std::string& sourceName = "script");

// Writes kirune.ini into outDir and EVENT.BIN and ASTARTUP.BIN into the
// directory ROOTDIR names below outDir (outDir itself by default), creating
// directories as needed, so outDir is ready as the player's working directory.
// The three are replaced as a set: on any failure none of them changes.
bool writeStoryFiles(const StoryFiles& files, const std::string& outDir, std::string* error);

// Where writeStoryFiles puts EVENT.BIN and ASTARTUP.BIN for a ROOTDIR value.
std::string storyDataDir(const std::string& outDir, const std::string& rootDir);

}  // namespace story

// compileStory + writeStoryFiles. Warnings are dropped; use compileStory to see them.
bool buildStory(const std::string& scriptText, const std::string& outDir, std::string* error);
