#pragma once
// Turns the player's data-file open attempts into one report per file that
// could not be opened. A sound bank is looked for in two directories, so a
// failed first attempt counts only when the second one fails too.
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace diagnostics {

struct MissingFile {
  std::string name;               // the bare file name ("E009.PF1")
  std::vector<std::string> dirs;  // the directory prefixes tried ("ev\")
};

class MissingFiles {
 public:
  // Called once per distinct missing file, at the attempt that settles it.
  std::function<void(const MissingFile&)> onMissing;

  // One open attempt of `joined` (directory prefix and name joined).
  void attempt(const std::string& joined, bool opened);
  // Settles a pending first attempt (at the end of a run).
  void flush();
  const std::vector<MissingFile>& missing() const { return missing_; }

  // Makes `files` the player's open observer (null: none).
  static void install(MissingFiles* files);

 private:
  void report(const MissingFile& f);

  MissingFile pending_;  // a bank's failed first attempt
  bool hasPending_ = false;
  std::set<std::string> said_;
  std::vector<MissingFile> missing_;
};

}  // namespace diagnostics
