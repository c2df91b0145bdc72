#pragma once
// The player in its real window under an X server with a window manager,
// driven by xdotool: real key events, window commands, covering and closing.
// Every wait is on something the player wrote (its event log, its step times,
// a file) or on the X server (xdotool's --sync), with a deadline as a guard.
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PlayerRun.h"

namespace lmtest {

// Output of a shell command (stdout), and its exit code.
struct Command {
  int code = -1;
  std::string out;
};

inline Command shell(const std::string& cmd) {
  Command c;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return c;
  char buf[512];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) c.out.append(buf, n);
  int status = pclose(p);
  c.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return c;
}

inline bool xdotool(const std::string& args) { return shell("xdotool " + args + " 2>/dev/null").code == 0; }

// The X keycode of a key by its keymap name ("KP8" for the keypad's 8), as
// text for xdotool; empty when the keymap has none.
inline std::string keycodeOf(const std::string& name) {
  Command c = shell("xkbcomp -xkb \"$DISPLAY\" - 2>/dev/null");
  std::istringstream in(c.out);
  std::string l;
  const std::string key = "<" + name + ">";
  while (std::getline(in, l)) {
    std::istringstream words(l);
    std::string first, eq, code;
    if (words >> first >> eq >> code && first == key && eq == "=" && !code.empty() && code.back() == ';') {
      code.pop_back();
      return code;
    }
  }
  return "";
}

// Polls `done` every 5 ms until it holds or `timeoutMs` has passed.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 15000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// One line of the player's --event-log.
struct LogLine {
  long step = 0;
  std::string what;  // "keys", "key", "paint", "fullscreen", "shot", "close"
  std::string arg;   // the rest of the line
};

inline std::vector<LogLine> readEventLog(const std::string& path) {
  std::vector<LogLine> out;
  for (const std::string& l : lines(slurp(path))) {
    std::istringstream in(l);
    LogLine e;
    if (!(in >> e.step >> e.what)) continue;
    std::getline(in >> std::ws, e.arg);
    out.push_back(e);
  }
  return out;
}

// A running lmplayer with its window, its event log and its step times.
class LivePlayer {
 public:
  // Starts `lmplayer args` in `dir` with the dummy audio driver; the logs go
  // to dir/events.txt and dir/steps.txt.
  LivePlayer(const std::string& dir, const std::vector<std::string>& args) : dir_(dir) {
    std::vector<std::string> argv{playerPath(), "--event-log", log(), "--step-times", dir + "/steps.txt"};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(dir.c_str()) != 0) _exit(127);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      // Settings and saves below the test's folder, never in the real home.
      setenv("XDG_CONFIG_HOME", (dir + "/.xdg/config").c_str(), 1);
      setenv("XDG_DATA_HOME", (dir + "/.xdg/data").c_str(), 1);
      setenv("XDG_PICTURES_DIR", (dir + "/.xdg/pictures").c_str(), 1);
      std::string err = dir + "/stderr.txt";
      if (!freopen(err.c_str(), "w", stderr)) _exit(127);
      std::vector<char*> cargs;
      for (std::string& a : argv) cargs.push_back(a.data());
      cargs.push_back(nullptr);
      execv(cargs[0], cargs.data());
      _exit(127);
    }
  }
  ~LivePlayer() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  LivePlayer(const LivePlayer&) = delete;
  LivePlayer& operator=(const LivePlayer&) = delete;

  pid_t pid() const { return pid_; }
  std::string log() const { return dir_ + "/events.txt"; }
  std::vector<LogLine> events() const { return readEventLog(log()); }
  // Logic steps run so far.
  long steps() const { return static_cast<long>(lines(slurp(dir_ + "/steps.txt")).size()); }
  std::string stderrText() const { return slurp(dir_ + "/stderr.txt"); }

  // Waits for the window to be mapped and managed, then gives it the focus.
  // xdotool gives up when a window it looks at vanishes meanwhile (SDL opens
  // and closes helper windows at start-up): it is asked again.
  bool findWindow() {
    const std::string search = "timeout 5 xdotool search --sync --onlyvisible --all --pid " + std::to_string(pid_) +
                               " --name Player 2>/dev/null";
    bool found = waitUntil(
        [&] {
          Command c = shell(search);
          std::istringstream in(c.out);
          return c.code == 0 && (in >> window_) && window_.find_first_not_of("0123456789") == std::string::npos;
        },
        30000);
    return found && focus();
  }
  const std::string& window() const { return window_; }
  // Raises the window and gives it the keyboard focus; true once the X
  // server has the focus on it.
  bool focus() {
    return waitUntil(
        [&] {
          xdotool("windowactivate " + window_);
          xdotool("windowfocus " + window_);
          std::istringstream in(shell("xdotool getwindowfocus 2>/dev/null").out);
          std::string focused;
          return (in >> focused) && focused == window_;
        },
        15000);
  }

  // Width and height of the window as the X server has it.
  std::pair<int, int> geometry() const {
    Command c = shell("xdotool getwindowgeometry --shell " + window_ + " 2>/dev/null");
    int w = 0, h = 0;
    std::istringstream in(c.out);
    std::string l;
    while (std::getline(in, l)) {
      if (l.rfind("WIDTH=", 0) == 0) w = std::atoi(l.c_str() + 6);
      if (l.rfind("HEIGHT=", 0) == 0) h = std::atoi(l.c_str() + 7);
    }
    return {w, h};
  }

  // Waits until a log line after the first `from` lines satisfies `match`;
  // its index, or -1 on timeout.
  long waitForLine(size_t from, const std::function<bool(const LogLine&)>& match, int timeoutMs = 15000) const {
    long found = -1;
    waitUntil(
        [&] {
          std::vector<LogLine> ev = events();
          for (size_t i = from; i < ev.size(); ++i)
            if (match(ev[i])) {
              found = static_cast<long>(i);
              return true;
            }
          return false;
        },
        timeoutMs);
    return found;
  }
  // Waits until `n` more logic steps have run.
  bool waitSteps(long n) const {
    const long target = steps() + n;
    return waitUntil([&] { return steps() >= target; });
  }

  // Exit code once the process has ended (waits up to `timeoutMs`); -1 if it
  // did not end or was killed.
  int waitExit(int timeoutMs = 15000) {
    int status = 0;
    bool done = waitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, timeoutMs);
    if (!done) return -1;
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  std::string dir_;
  pid_t pid_ = -1;
  bool exited_ = false;
  std::string window_;
};

}  // namespace lmtest
