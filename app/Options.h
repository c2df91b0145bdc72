#pragma once
// The player's command line.
#include <string>
#include <vector>

#include "platform/Host.h"

namespace app {

// A key change, or with `isPointer` a mouse event, fed to the player just
// before logic step `step`.
struct InputEvent {
  long step;
  unsigned vk;  // virtual-key code
  bool down;
  bool isPointer = false;
  platform::PointerEvent pointer{};
};

// A frame to save: the one drawn right after logic step `step`.
struct ShotRequest {
  long step;
  std::string file;
};

struct Options {
  std::string dataDir;  // empty: this directory if it holds kirune.ini, else the demo data
  bool headless = false;
  long steps = 0;  // 0: run until the window closes
  std::vector<InputEvent> input;  // in step order; at one step, in the order given
  long inputRepeat = 0;           // > 0: the input list starts again every inputRepeat steps
  std::vector<ShotRequest> shots;
  std::string audioOut;  // headless only: WAV of everything played
  std::string trace;     // one line per logic step
  std::string frameHashes;  // one line per drawn frame: last step and pixel hash
  std::string eventLog;     // window events and the key bits each step saw
  std::string stepTimes;    // one line per logic step: wall-clock ms
  std::string videoOut;     // the run as a video file (through ffmpeg)
  int videoScale = 3;       // video pixels per frame pixel, each way
  std::string inputLog;     // the run's keys and mouse events, in the --input syntax
  int scale = 0;         // window scale 1..8; 0: automatic
  long chart = -1;       // >= 0: start the story at this chart at once
  bool watch = false;    // restart at the current chart when the data changes
  bool continueRun = false;  // load the newest save at the start
  std::string config;    // settings file; empty: the default place (none when headless)
  std::string saveDir;   // folder of saves and read marks; empty: the default place (none when headless)
  std::string shotDir;   // folder of F12's screenshots; empty: the user's pictures folder
  bool help = false;
  bool version = false;
};

constexpr const char* kVersion = "0.1.0";

// Parses the arguments after the program name. False with a one-line reason
// in `error` for an unknown option, a missing or malformed value, or a
// combination that cannot run.
bool parseOptions(const std::vector<std::string>& args, Options& out, std::string& error);

// Parses an --input list ("S:KEY", "S:KEY+", "S:KEY-", mouse events
// "S:click@XxY", "S:rclick", "S:wheelup", "S:wheeldown", "S:move@XxY",
// comma-separated) into `out`, appending; false with a reason on a malformed entry.
bool parseInputList(const std::string& list, std::vector<InputEvent>& out, std::string& error);

// The --input name of a key's virtual-key code, or null for a key the list has no name for.
const char* inputKeyName(unsigned vk);

// Reads an --input list from a file: entries separated by commas or line
// ends, '#' to the end of a line a comment. False with a reason.
bool readInputFile(const std::string& path, std::string& list, std::string& error);

// The --help text.
std::string usageText();

}  // namespace app
