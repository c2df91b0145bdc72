#pragma once
// What the player tells the user about the story's data on standard error,
// without changing what it draws, plays or traces: each data file the story
// asks for and cannot open (once per file, with its directory and the chart),
// and where a chart error lies (chart and EVENT.BIN offset).
#include <functional>
#include <string>

#include "diagnostics/MissingFiles.h"

class LmPlayer;

namespace diagnostics {

class PlayerReport {
 public:
  // `dataDir` names the data directory in messages; `player` gives the
  // running scene machine (null before it exists).
  PlayerReport(std::string dataDir, std::function<const LmPlayer*()> player);
  ~PlayerReport();
  PlayerReport(const PlayerReport&) = delete;
  PlayerReport& operator=(const PlayerReport&) = delete;

  // The line for a missing file, and the line after a chart error.
  std::string missingLine(const MissingFile& f) const;
  std::string chartErrorLine() const;
  // Where the story is: "chart 3", "the title screen", "start-up".
  std::string place() const;

 private:
  static void onNotice(const char* caption, const char* text);

  std::string dataDir_;
  std::function<const LmPlayer*()> player_;
  MissingFiles files_;
};

}  // namespace diagnostics
