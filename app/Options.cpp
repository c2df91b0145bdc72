#include "app/Options.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>
#include <vector>

#include <CLI/CLI.hpp>

#include "platform/KeptFile.h"
#include "shell/Key.h"

namespace app {

namespace {

// A positive decimal number without sign or spaces that fits in a long.
bool parseCount(const std::string& text, long& out) {
  if (text.empty() || text.size() > 18) return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  errno = 0;
  long v = std::strtol(text.c_str(), nullptr, 10);
  if (errno != 0 || v <= 0) return false;
  out = v;
  return true;
}

const struct KeyEntry {
  const char* name;
  unsigned vk;
} kKeys[] = {
    {"up", VK_UP},         {"down", VK_DOWN},     {"left", VK_LEFT},     {"right", VK_RIGHT},
    {"enter", VK_RETURN},  {"space", VK_SPACE},   {"escape", VK_ESCAPE}, {"kp8", VK_NUMPAD8},
    {"kp2", VK_NUMPAD2},   {"kp6", VK_NUMPAD6},   {"kp4", VK_NUMPAD4},   {"f5", VK_F5},
    {"f9", VK_F9},         {"backspace", VK_BACK}, {"pageup", VK_PRIOR},  {"pagedown", VK_NEXT},
    {"ctrl", VK_CONTROL},  {"tab", VK_TAB},       {"a", VK_A},           {"m", VK_M},
};

bool keyCode(const std::string& name, unsigned& vk) {
  for (const auto& k : kKeys) {
    if (name == k.name) {
      vk = k.vk;
      return true;
    }
  }
  return false;
}

// Splits "S:REST" at the first colon into a step and the rest.
bool splitStep(const std::string& item, long& step, std::string& rest) {
  size_t colon = item.find(':');
  if (colon == std::string::npos) return false;
  rest = item.substr(colon + 1);
  return parseCount(item.substr(0, colon), step);
}

// A positive count for `option`, or a validation error naming it.
long countValue(const char* option, const std::string& text) {
  long v = 0;
  if (!parseCount(text, v))
    throw CLI::ValidationError(option, "expected a positive whole number, got '" + text + "'");
  return v;
}

std::string fileValue(const char* option, const std::string& text) {
  if (text.empty()) throw CLI::ValidationError(option, "empty file name");
  return text;
}

constexpr const char* kKeyNames =
    "up down left right enter space escape kp8 kp2 kp6 kp4 f5 f9 backspace pageup pagedown ctrl tab a m";

// "NAME" or "NAME@XxY" with X in 0..319 and Y in 0..239.
bool splitPosition(const std::string& text, std::string& name, int& x, int& y, bool& hasPos) {
  size_t at = text.find('@');
  name = text.substr(0, at);
  hasPos = at != std::string::npos;
  if (!hasPos) return true;
  std::string pos = text.substr(at + 1);
  size_t cross = pos.find('x');
  if (cross == std::string::npos) return false;
  long px = 0, py = 0;
  const std::string xs = pos.substr(0, cross), ys = pos.substr(cross + 1);
  // parseCount refuses 0, which is a valid coordinate.
  if (!(xs == "0" || parseCount(xs, px)) || !(ys == "0" || parseCount(ys, py))) return false;
  if (px > 319 || py > 239) return false;
  x = static_cast<int>(px);
  y = static_cast<int>(py);
  return true;
}

// A mouse entry: click (press at S, release at S+1), rclick, wheelup,
// wheeldown, move. False when `text` names none; `error` is set when it
// names one badly.
bool pointerEntry(long step, const std::string& text, std::vector<InputEvent>& events, std::string& error) {
  std::string name;
  int x = 0, y = 0;
  bool hasPos = false;
  if (!splitPosition(text, name, x, y, hasPos)) {
    error = "bad position (expected @XxY within 320x240)";
    return true;
  }
  auto add = [&](long s, platform::PointerEvent::Kind kind) {
    InputEvent e{s, 0, kind != platform::PointerEvent::LeftUp && kind != platform::PointerEvent::RightUp};
    e.isPointer = true;
    e.pointer = platform::PointerEvent{kind, x, y};
    events.push_back(e);
  };
  // "click+" and "click-" (and rclick's) press and release apart, as a window session logs them.
  const char half = !name.empty() && (name.back() == '+' || name.back() == '-') ? name.back() : 0;
  const std::string base = half ? name.substr(0, name.size() - 1) : name;
  if (half && (base == "click" || base == "rclick")) {
    const bool left = base == "click";
    if (half == '+') add(step, left ? platform::PointerEvent::LeftDown : platform::PointerEvent::RightDown);
    else add(step, left ? platform::PointerEvent::LeftUp : platform::PointerEvent::RightUp);
  } else if (name == "click" || name == "rclick") {
    if (step == LONG_MAX) {
      error = "step out of range";
      return true;
    }
    const bool left = name == "click";
    add(step, left ? platform::PointerEvent::LeftDown : platform::PointerEvent::RightDown);
    add(step + 1, left ? platform::PointerEvent::LeftUp : platform::PointerEvent::RightUp);
  } else if (name == "wheelup") {
    add(step, platform::PointerEvent::WheelUp);
  } else if (name == "wheeldown") {
    add(step, platform::PointerEvent::WheelDown);
  } else if (name == "move") {
    if (!hasPos) error = "move needs a position (move@XxY)";
    else add(step, platform::PointerEvent::Move);
  } else {
    return false;
  }
  return true;
}

}  // namespace

const char* inputKeyName(unsigned vk) {
  for (const auto& k : kKeys)
    if (k.vk == vk) return k.name;
  return nullptr;
}

bool readInputFile(const std::string& path, std::string& list, std::string& error) {
  // A log of hours of play stays far below this; anything larger is not one.
  constexpr size_t kMaxBytes = 64 << 20;
  std::vector<unsigned char> bytes;
  std::string why;
  if (!platform::readKeptFile(path, kMaxBytes, bytes, why)) {
    error = why.empty() ? "--input: cannot read '" + path + "'" : "--input: " + why;
    return false;
  }
  list.clear();
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    size_t start = 0;
    while (start <= line.size()) {
      size_t comma = line.find(',', start);
      if (comma == std::string::npos) comma = line.size();
      std::string item = line.substr(start, comma - start);
      item.erase(0, item.find_first_not_of(" \t\r"));
      item.erase(item.find_last_not_of(" \t\r") + 1);
      if (!item.empty()) list += (list.empty() ? "" : ",") + item;
      start = comma + 1;
    }
  }
  if (list.empty()) {
    error = "--input: '" + path + "' holds no entries";
    return false;
  }
  return true;
}

bool parseInputList(const std::string& list, std::vector<InputEvent>& out, std::string& error) {
  std::vector<InputEvent> events;
  size_t start = 0;
  while (true) {
    size_t comma = list.find(',', start);
    std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    long step = 0;
    std::string key;
    if (!splitStep(item, step, key) || key.empty()) {
      error = "--input: malformed entry '" + item + "' (expected STEP:KEY, STEP:KEY+ or STEP:KEY-)";
      return false;
    }
    if (std::string why; pointerEntry(step, key, events, why)) {
      if (!why.empty()) {
        error = "--input: " + why + " in '" + item + "'";
        return false;
      }
      if (comma == std::string::npos) break;
      start = comma + 1;
      continue;
    }
    char suffix = key.back();
    bool press = true, release = true;
    if (suffix == '+' || suffix == '-') {
      key.pop_back();
      press = suffix == '+';
      release = suffix == '-';
    }
    unsigned vk = 0;
    if (!keyCode(key, vk)) {
      error = "--input: unknown key '" + key + "' in '" + item + "' (keys: " + kKeyNames +
              "; mouse: click@XxY rclick wheelup wheeldown move@XxY)";
      return false;
    }
    if (press) events.push_back({step, vk, true});
    if (release) {
      if (press && step == LONG_MAX) {
        error = "--input: step out of range in '" + item + "'";
        return false;
      }
      events.push_back({press ? step + 1 : step, vk, false});
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  out.insert(out.end(), events.begin(), events.end());
  // Step order; changes at one step keep the order they were given in.
  std::stable_sort(out.begin(), out.end(), [](const InputEvent& a, const InputEvent& b) { return a.step < b.step; });
  return true;
}

namespace {

// Each option as the user meets it: name, value and help line. A value check
// throws CLI::ValidationError with the reason; CLI11 prefixes the option name.
void defineOptions(CLI::App& cli, Options& o) {
  // A repeated single-valued option keeps its last value.
  cli.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  cli.set_help_flag();
  cli.add_flag("-h,--help", o.help, "show this text")->disable_flag_override();
  cli.add_flag("--version", o.version, "show the version")->disable_flag_override();
  cli.add_option_function<std::string>(
         "--data",
         [&o](const std::string& v) {
           if (v.empty()) throw CLI::ValidationError("--data", "empty directory name");
           o.dataDir = v;
         },
         "run in DIR (default: here if it holds kirune.ini, else the demo story)")
      ->type_name("DIR");
  cli.add_flag("--headless", o.headless, "no window and no audio hardware; time is virtual (needs --steps)")
      ->disable_flag_override();
  cli.add_option_function<std::string>(
         "--steps", [&o](const std::string& v) { o.steps = countValue("--steps", v); },
         "quit after logic step N (one step is 16 ms)")
      ->type_name("N");
  cli.add_option_function<std::vector<std::string>>(
         "--input",
         [&o](const std::vector<std::string>& lists) {
           for (const std::string& given : lists) {
             std::string error, list = given;
             if (!given.empty() && given[0] == '@' && !readInputFile(given.substr(1), list, error))
               throw CLI::ValidationError(error);
             if (!parseInputList(list, o.input, error)) throw CLI::ValidationError(error);
           }
         },
         std::string("keys fed before steps: S:KEY (press at S, release at S+1), S:KEY+ (press), S:KEY- (release), "
                     "comma-separated; keys: ") +
             kKeyNames +
             "; mouse, in 320x240 frame coordinates: S:click@XxY S:rclick S:wheelup S:wheeldown S:move@XxY "
             "(click+ and click- press and release apart); @FILE reads such a list from a file (see --input-log)")
      ->type_name("LIST")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->allow_extra_args(false);
  cli.add_option_function<std::string>(
         "--input-repeat", [&o](const std::string& v) { o.inputRepeat = countValue("--input-repeat", v); },
         "start the --input list again every N steps (for long runs)")
      ->type_name("N");
  cli.add_option_function<std::vector<std::string>>(
         "--shot",
         [&o](const std::vector<std::string>& values) {
           for (const std::string& v : values) {
             ShotRequest shot{0, ""};
             if (!splitStep(v, shot.step, shot.file) || shot.file.empty())
               throw CLI::ValidationError("--shot", "expected STEP:FILE, got '" + v + "'");
             o.shots.push_back(shot);
           }
         },
         "save the frame drawn after step S as a PNG (repeatable)")
      ->type_name("S:FILE")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->allow_extra_args(false);
  cli.add_option_function<std::string>(
         "--audio-out", [&o](const std::string& v) { o.audioOut = fileValue("--audio-out", v); },
         "with --headless: record the audio output as a 44100 Hz 16-bit stereo WAV")
      ->type_name("FILE");
  cli.add_option_function<std::string>(
         "--trace", [&o](const std::string& v) { o.trace = fileValue("--trace", v); },
         "write one line per logic step: step, scene, and in the story its interpreter phase and chart")
      ->type_name("FILE");
  cli.add_option_function<std::string>(
         "--frame-hashes", [&o](const std::string& v) { o.frameHashes = fileValue("--frame-hashes", v); },
         "write one line per drawn frame: the last step run and a 64-bit hash of the frame's pixels")
      ->type_name("FILE");
  cli.add_option_function<std::string>(
         "--event-log", [&o](const std::string& v) { o.eventLog = fileValue("--event-log", v); },
         "write the window's key events, repaints, full screen and screenshots, and the key bits "
         "each logic step saw when they change (for tests of the real window)")
      ->type_name("FILE");
  cli.add_option_function<std::string>(
         "--step-times", [&o](const std::string& v) { o.stepTimes = fileValue("--step-times", v); },
         "write one line per logic step: the wall-clock milliseconds from the first step (pacing checks)")
      ->type_name("FILE");
  cli.add_option_function<std::string>(
         "--video-out", [&o](const std::string& v) { o.videoOut = fileValue("--video-out", v); },
         "record the run as a video (.mp4: H.264 and AAC; .webm: VP9 and Opus; .mkv: lossless FFV1 and FLAC) "
         "at 62.5 frames a second with its sound, through the ffmpeg program")
      ->type_name("FILE");
  cli.add_option_function<std::string>(
         "--video-scale",
         [&o](const std::string& v) {
           long scale = 0;
           if (!parseCount(v, scale) || scale > 8)
             throw CLI::ValidationError("--video-scale", "expected a whole number from 1 to 8, got '" + v + "'");
           o.videoScale = static_cast<int>(scale);
         },
         "with --video-out: N x N video pixels per frame pixel (default 3: 960x720)")
      ->type_name("N");
  cli.add_option_function<std::string>(
         "--input-log", [&o](const std::string& v) { o.inputLog = fileValue("--input-log", v); },
         "write the run's keys, clicks and wheel moves per step in the --input syntax (replay with --input @FILE)")
      ->type_name("FILE");
  cli.add_option_function<std::string>(
         "--chart",
         [&o](const std::string& v) {
           long n = 0;
           if (v == "0") n = 0;
           else if (!parseCount(v, n) || n > 65535)
             throw CLI::ValidationError("--chart", "expected a chart number from 0 to 65535, got '" + v + "'");
           o.chart = n;
         },
         "start the story at chart N at once (no opening, title or select screen)")
      ->type_name("N");
  cli.add_flag("--watch", o.watch,
               "when the story's files change (lmtool story build), restart at the chart that was playing")
      ->disable_flag_override();
  cli.add_flag("--continue", o.continueRun,
               "continue from the newest save (automatic, quick or a slot) as soon as the story starts")
      ->disable_flag_override();
  cli.add_option_function<std::string>(
         "--scale",
         [&o](const std::string& v) {
           long scale = 0;
           if (!parseCount(v, scale) || scale > 8)
             throw CLI::ValidationError("--scale", "expected a whole number from 1 to 8, got '" + v + "'");
           o.scale = static_cast<int>(scale);
         },
         "window scale 1 to 8 (default: the settings' scale, else the largest that fits half the desktop)")
      ->type_name("N");
  cli.add_option_function<std::string>(
         "--config", [&o](const std::string& v) { o.config = fileValue("--config", v); },
         "settings file (default: $XDG_CONFIG_HOME/lmplayer/settings.ini; with --headless none)")
      ->type_name("FILE");
  cli.add_option_function<std::string>(
         "--save-dir",
         [&o](const std::string& v) {
           if (v.empty()) throw CLI::ValidationError("--save-dir", "empty directory name");
           o.saveDir = v;
         },
         "folder of the saves and read marks (default: $XDG_DATA_HOME/lmplayer/saves/STORY; with --headless none)")
      ->type_name("DIR");
  cli.add_option_function<std::string>(
         "--shot-dir",
         [&o](const std::string& v) {
           if (v.empty()) throw CLI::ValidationError("--shot-dir", "empty directory name");
           o.shotDir = v;
         },
         "folder of F12's screenshots, made on first use (default: $XDG_PICTURES_DIR/lmplayer, else "
         "~/Pictures/lmplayer)")
      ->type_name("DIR");
}

// Combinations that cannot run; empty when the options fit together.
std::string checkCombination(const Options& o) {
  if (o.inputRepeat > 0) {
    // A press on the period's last step may release on the first step after it.
    for (const InputEvent& e : o.input)
      if (e.step > o.inputRepeat + 1)
        return "--input-repeat: the input list reaches step " + std::to_string(e.step) + ", past the period of " +
               std::to_string(o.inputRepeat) + " steps";
  }
  if (o.headless && o.steps == 0) return "--headless needs --steps N";
  if (!o.audioOut.empty() && !o.headless) return "--audio-out works only with --headless";
  if (o.videoScale != 3 && o.videoOut.empty()) return "--video-scale works only with --video-out";
  // A restart counts its steps from 1 again; a video or log of steps cannot follow it.
  if (o.watch && !o.videoOut.empty()) return "--video-out cannot be used with --watch";
  if (o.watch && !o.inputLog.empty()) return "--input-log cannot be used with --watch";
  return "";
}

std::string oneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

bool parseOptions(const std::vector<std::string>& args, Options& out, std::string& error) {
  Options o;
  CLI::App cli{"Plays the story in the data directory.", "lmplayer"};
  defineOptions(cli, o);
  std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them last first
  try {
    cli.parse(reversed);
  } catch (const CLI::ParseError& e) {
    error = oneLine(e.what());
    if (error.find("not expected") != std::string::npos) error += " (try --help)";
    return false;
  }
  if (!o.help && !o.version) {
    error = checkCombination(o);
    if (!error.empty()) return false;
  }
  out = o;
  return true;
}

std::string usageText() {
  Options ignored;
  CLI::App cli{"Plays the story in the data directory.", "lmplayer"};
  defineOptions(cli, ignored);
  return cli.help() +
         "\nKeys: arrows or keypad move, Enter or Space decides, Esc or a right click opens the menu\n"
         "(resume, save, load, backlog, settings, quit), F5 quick save, F9 quick load, Backspace goes\n"
         "back to the previous message, Page Up or the wheel shows the backlog, Ctrl (held) or Tab\n"
         "skips read text, A toggles auto-advance, M mutes; a click, tap or wheel down decides (the\n"
         "wheel never a choice). Before the story the menu offers Continue (or --continue).\n"
         "F11 or Alt+Enter toggles full screen, F12 saves a screenshot (see --shot-dir).\n";
}

}  // namespace app
