#pragma once
// A program's first step: the process made ready the system's way, and its
// command line as the programs' byte strings (UTF-8 on Windows, whatever the
// code page).
#include <string>
#include <vector>

namespace platform {

class ProcessStart {
 public:
  ProcessStart(int argc, char** argv);
  ProcessStart(const ProcessStart&) = delete;
  ProcessStart& operator=(const ProcessStart&) = delete;

  int argc() const { return static_cast<int>(args_.size()); }
  char** argv() { return pointers_.data(); }

 private:
  void takeSystemArgs(int argc, char** argv);  // one per system
  void pointAtArgs();

  std::vector<std::string> args_;
  std::vector<char*> pointers_;  // args_' texts, then null
};

}  // namespace platform
