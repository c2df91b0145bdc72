#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/sdl/QuietStderr.h"

namespace platform {

QuietStderr::QuietStderr() {
  std::fflush(stderr);
  saved_ = _dup(2);
  int null = _open("NUL", _O_WRONLY);
  if (saved_ >= 0 && null >= 0) _dup2(null, 2);
  if (null >= 0) _close(null);
}

void QuietStderr::restore() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  _dup2(saved_, 2);
  _close(saved_);
  saved_ = -1;
}

}  // namespace platform
