#include <cstdlib>
#include <filesystem>

#include "platform/Places.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

// An XDG variable counts only when it holds an absolute path.
std::string xdgFolder(const char* variable, const char* underHome) {
  const char* xdg = std::getenv(variable);
  if (xdg && *xdg == '/') return (fs::path(xdg) / "lmplayer").string();
  // A relative HOME would name a place below whatever folder the player is in.
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return (fs::path(home) / underHome / "lmplayer").string();
  return "";
}

}  // namespace

std::string settingsFolder() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

std::string dataFolder() { return xdgFolder("XDG_DATA_HOME", ".local/share"); }

std::string executablePath() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.string();
}

}  // namespace platform
