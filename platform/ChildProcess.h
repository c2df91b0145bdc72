#pragma once
// Another program run beside this one: its standard input is a pipe we write,
// chosen files of ours become its descriptors 3, 4, ..., and its standard
// error goes to a file of ours. It runs in its own process group, so the
// terminal's Ctrl+C reaches only us and we decide when it ends.
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// The full path of `program` found on PATH, or empty.
std::string findProgram(const std::string& program);

// True when `stream`'s descriptor is a terminal.
bool isTerminal(int fd);

struct ChildLaunch {
  std::vector<std::string> argv;  // argv[0]: the program's full path
  bool pipeInput = false;         // else standard input is /dev/null
  std::vector<int> passFds;       // become the child's 3, 4, ...
  int errorFd = -1;               // the child's standard error; -1: /dev/null
};

class ChildProcess {
 public:
  ChildProcess() = default;
  // Closes the pipe and waits for the child when still running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts the program; false with a reason when it could not be started.
  bool start(const ChildLaunch& launch, std::string& error);
  // Writes all of `bytes` to its standard input; false once it stopped reading.
  bool write(const void* bytes, size_t length);
  // Closes its standard input and waits; the exit status (0..255), or
  // 128 + the signal that ended it, or -1 when none was running.
  int finish();
  bool running() const { return pid_ > 0; }

 private:
  int pid_ = -1;
  int input_ = -1;
};

// A file with no name, for data kept only during the run: it lives in
// `folder` (on the disk of the output it is for) and vanishes when closed.
class ScratchFile {
 public:
  ScratchFile() = default;
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  bool create(const std::string& folder, std::string& error);
  int fd() const { return fd_; }
  // Appends; false on failure.
  bool write(const void* bytes, size_t length);
  // The last `maxBytes` bytes written (for a program's last messages).
  std::string tail(size_t maxBytes) const;

 private:
  int fd_ = -1;
};

// The name another process (our child) opens to reach its descriptor `fd`.
std::string descriptorPath(int fd);

// The descriptor under a stdio stream (to pass it to a child).
int descriptorOf(std::FILE* stream);

}  // namespace platform
