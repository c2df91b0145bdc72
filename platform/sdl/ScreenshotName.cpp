#include "platform/sdl/ScreenshotName.h"

#include <cstdio>
#include <filesystem>

#include "platform/FileOps.h"

namespace platform {

std::string nextScreenshotName(const std::string& dir, int limit) {
  namespace fs = std::filesystem;
  for (int n = 1; n <= limit; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "lmplayer-%04d.png", n);
    fs::path p = fs::path(dir.empty() ? "." : dir) / name;
    // A name taken by anything, even a dangling link, is skipped.
    const fileops::Facts st = fileops::lookAt(p.string());
    if (st.kind == fileops::Kind::Missing && st.error == 0) return p.string();
  }
  return "";
}

}  // namespace platform
