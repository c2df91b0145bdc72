#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/sdl/QuietStderr.h"

namespace platform {

QuietStderr::QuietStderr() {
  std::fflush(stderr);
  saved_ = dup(2);
  int null = ::open("/dev/null", O_WRONLY);
  if (saved_ >= 0 && null >= 0) dup2(null, 2);
  if (null >= 0) close(null);
}

void QuietStderr::restore() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  dup2(saved_, 2);
  close(saved_);
  saved_ = -1;
}

}  // namespace platform
