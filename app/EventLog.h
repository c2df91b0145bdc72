#pragma once
// Run logs for tests of the real window: what the window delivered and what
// each logic step saw (--event-log), and when each step ran (--step-times).
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace app {

// One line per event, flushed at once so that a watcher can wait on it:
//   "<step> keys <bits>"       the key bits step <step> saw, when they changed
//                              (two hex digits; the first step always)
//   "<step> key <vk> down|up"  a key event from the window after step <step>
//                              (virtual-key code, two hex digits)
//   "<step> <what>"            a window event: "paint", "close", "fullscreen on",
//                              "fullscreen off", "shot <file>"
class EventLog {
 public:
  // False with a reason when the file cannot be written.
  bool open(const std::string& path, std::string& error);
  bool isOpen() const { return file_ != nullptr; }
  void keysSeen(long step, int bits);
  void key(long step, unsigned vk, bool down);
  void event(long step, const std::string& what);
  bool failed() const { return failed_; }

 private:
  void write(const std::string& line);
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, FileCloser> file_;
  int lastBits_ = -1;
  bool failed_ = false;
};

// One line per logic step: "<step> <ms>", the wall-clock milliseconds (three
// decimals) from the first step to the start of this one; flushed at once.
class StepTimes {
 public:
  bool open(const std::string& path, std::string& error);
  bool isOpen() const { return file_ != nullptr; }
  void stepStarts(long step);
  bool failed() const { return failed_; }

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::chrono::steady_clock::time_point first_;
  bool started_ = false;
  bool failed_ = false;
};

}  // namespace app
