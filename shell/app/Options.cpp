#include "shell/app/Options.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

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

bool keyCode(const std::string& name, unsigned& vk) {
  static const struct {
    const char* name;
    unsigned vk;
  } table[] = {
      {"up", VK_UP},         {"down", VK_DOWN},     {"left", VK_LEFT},     {"right", VK_RIGHT},
      {"enter", VK_RETURN},  {"space", VK_SPACE},   {"escape", VK_ESCAPE}, {"kp8", VK_NUMPAD8},
      {"kp2", VK_NUMPAD2},   {"kp6", VK_NUMPAD6},   {"kp4", VK_NUMPAD4},
  };
  for (const auto& k : table) {
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

}  // namespace

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
    char suffix = key.back();
    bool press = true, release = true;
    if (suffix == '+' || suffix == '-') {
      key.pop_back();
      press = suffix == '+';
      release = suffix == '-';
    }
    unsigned vk = 0;
    if (!keyCode(key, vk)) {
      error = "--input: unknown key '" + key + "' in '" + item +
              "' (keys: up down left right enter space escape kp8 kp2 kp6 kp4)";
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

bool parseOptions(const std::vector<std::string>& args, Options& out, std::string& error) {
  Options o;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::string value;
    bool hasValue = false;
    if (arg.rfind("--", 0) == 0) {
      size_t eq = arg.find('=');
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
        hasValue = true;
      }
    }
    auto needValue = [&]() -> bool {
      if (hasValue) return true;
      if (i + 1 >= args.size()) {
        error = arg + ": missing value";
        return false;
      }
      value = args[++i];
      return true;
    };
    auto noValue = [&]() -> bool {
      if (!hasValue) return true;
      error = arg + ": takes no value";
      return false;
    };

    if (arg == "--help" || arg == "-h") {
      if (!noValue()) return false;
      o.help = true;
    } else if (arg == "--version") {
      if (!noValue()) return false;
      o.version = true;
    } else if (arg == "--headless") {
      if (!noValue()) return false;
      o.headless = true;
    } else if (arg == "--data") {
      if (!needValue()) return false;
      if (value.empty()) {
        error = "--data: empty directory name";
        return false;
      }
      o.dataDir = value;
    } else if (arg == "--steps") {
      if (!needValue()) return false;
      if (!parseCount(value, o.steps)) {
        error = "--steps: expected a positive whole number, got '" + value + "'";
        return false;
      }
    } else if (arg == "--input") {
      if (!needValue()) return false;
      if (!parseInputList(value, o.input, error)) return false;
    } else if (arg == "--input-repeat") {
      if (!needValue()) return false;
      if (!parseCount(value, o.inputRepeat)) {
        error = "--input-repeat: expected a positive whole number, got '" + value + "'";
        return false;
      }
    } else if (arg == "--shot") {
      if (!needValue()) return false;
      ShotRequest shot{0, ""};
      if (!splitStep(value, shot.step, shot.file) || shot.file.empty()) {
        error = "--shot: expected STEP:FILE, got '" + value + "'";
        return false;
      }
      o.shots.push_back(shot);
    } else if (arg == "--audio-out") {
      if (!needValue()) return false;
      if (value.empty()) {
        error = "--audio-out: empty file name";
        return false;
      }
      o.audioOut = value;
    } else if (arg == "--trace") {
      if (!needValue()) return false;
      if (value.empty()) {
        error = "--trace: empty file name";
        return false;
      }
      o.trace = value;
    } else if (arg == "--scale") {
      if (!needValue()) return false;
      long scale = 0;
      if (!parseCount(value, scale) || scale > 8) {
        error = "--scale: expected a whole number from 1 to 8, got '" + value + "'";
        return false;
      }
      o.scale = static_cast<int>(scale);
    } else {
      error = "unknown option '" + args[i] + "' (try --help)";
      return false;
    }
  }
  if (o.help || o.version) {
    out = o;
    return true;
  }
  if (o.inputRepeat > 0) {
    // A press on the period's last step may release on the first step after it.
    for (const InputEvent& e : o.input)
      if (e.step > o.inputRepeat + 1) {
        error = "--input-repeat: the input list reaches step " + std::to_string(e.step) +
                ", past the period of " + std::to_string(o.inputRepeat) + " steps";
        return false;
      }
  }
  if (o.headless && o.steps == 0) {
    error = "--headless needs --steps N";
    return false;
  }
  if (!o.audioOut.empty() && !o.headless) {
    error = "--audio-out works only with --headless";
    return false;
  }
  out = o;
  return true;
}

std::string usageText() {
  return "Usage: lmplayer [options]\n"
         "Plays the story in the data directory.\n"
         "\n"
         "  --data DIR         run in DIR (default: here if it holds kirune.ini, else the demo story)\n"
         "  --headless         no window and no audio hardware; time is virtual (needs --steps)\n"
         "  --steps N          quit after logic step N (one step is 16 ms)\n"
         "  --input LIST       keys fed before steps: S:KEY (press at S, release at S+1),\n"
         "                     S:KEY+ (press), S:KEY- (release), comma-separated; keys: up down\n"
         "                     left right enter space escape kp8 kp2 kp6 kp4\n"
         "  --input-repeat N   start the --input list again every N steps (for long runs)\n"
         "  --shot S:FILE      save the frame drawn after step S as a PNG (repeatable)\n"
         "  --audio-out FILE   with --headless: record the audio output as a 44100 Hz 16-bit stereo WAV\n"
         "  --trace FILE       write one line per logic step: step, scene, and in the story its\n"
         "                     interpreter phase and chart\n"
         "  --scale N          window scale 1 to 8 (default: the largest that fits half the desktop)\n"
         "  --help             show this text\n"
         "  --version          show the version\n"
         "\n"
         "Keys: arrows or keypad move, Enter or Space decides, F11 or Alt+Enter toggles full screen,\n"
         "F12 saves a screenshot.\n";
}

}  // namespace app
