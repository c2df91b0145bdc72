#include "platform/sdl/ScreenshotName.h"

#include <cstdio>
#include <filesystem>

namespace platform {

std::string nextScreenshotName(const std::string& dir, int limit) {
  namespace fs = std::filesystem;
  for (int n = 1; n <= limit; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "lmplayer-%04d.png", n);
    fs::path p = fs::path(dir.empty() ? "." : dir) / name;
    std::error_code ec;
    if (!fs::exists(p, ec) && !ec) return p.string();
  }
  return "";
}

}  // namespace platform
