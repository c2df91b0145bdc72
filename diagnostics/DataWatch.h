#pragma once
// lmplayer --watch: notices when the files of the data directory change (an
// author rebuilt the story) by polling their names, sizes and times between
// steps. A change counts once the files have stayed the same for one more
// poll, so a build still writing is not caught half way.
#include <functional>
#include <string>

namespace diagnostics {

class DataWatch {
 public:
  // A signature of the watched data: any change to the files changes it.
  using Scan = std::function<std::string()>;

  // Polls `scan` every `everySteps` steps; the first scan is the baseline.
  explicit DataWatch(Scan scan, long everySteps = 30);

  // Called after each tick with the latest step number; true once when the
  // data changed and settled.
  bool poll(long step);

  // A new run began: its steps count from 1 again.
  void restarted() { nextPoll_ = every_; }

  // Names, sizes and times of the story's files below `dir` (kirune.ini and
  // the .BIN, .PF1, .PCM and .FON files).
  static std::string scanDirectory(const std::string& dir);

 private:
  Scan scan_;
  long every_;
  long nextPoll_;
  std::string baseline_;
  std::string pending_;
  bool changing_ = false;
};

}  // namespace diagnostics
