#include "platform/sdl/ScreenshotName.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace platform {

std::string nextScreenshotName(const std::string& dir, int limit) {
  namespace fs = std::filesystem;
  for (int n = 1; n <= limit; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "lmplayer-%04d.png", n);
    fs::path p = fs::path(dir.empty() ? "." : dir) / name;
    // A name taken by anything, even a dangling link, is skipped.
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0 && errno == ENOENT) return p.string();
  }
  return "";
}

}  // namespace platform
