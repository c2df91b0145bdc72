#pragma once
// Keeps what the system's display and audio libraries print on their own
// (probing for servers and sound cards) off the terminal while SDL starts
// them; the player says in one line of its own what went wrong.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

// Standard error pointed at /dev/null until restored.
class QuietStderr {
 public:
  QuietStderr() {
    std::fflush(stderr);
    saved_ = dup(2);
    int null = ::open("/dev/null", O_WRONLY);
    if (saved_ >= 0 && null >= 0) dup2(null, 2);
    if (null >= 0) close(null);
  }
  ~QuietStderr() { restore(); }
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    saved_ = -1;
  }

 private:
  int saved_ = -1;
};

}  // namespace platform
