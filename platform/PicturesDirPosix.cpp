#include "platform/PicturesDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace platform {
namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// XDG_PICTURES_DIR="$HOME/Pictures" from user-dirs.dirs; only "$HOME/..." or
// an absolute path count, as xdg-user-dirs writes them.
std::string userDirsPictures(const std::string& home) {
  std::string config = env("XDG_CONFIG_HOME");
  if (config.empty()) config = home + "/.config";
  std::ifstream in(config + "/user-dirs.dirs");
  std::string line;
  const std::string key = "XDG_PICTURES_DIR=\"";
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0 || line.size() < key.size() + 1 || line.back() != '"') continue;
    std::string value = line.substr(key.size(), line.size() - key.size() - 1);
    if (value.compare(0, 5, "$HOME") == 0) return home + value.substr(5);
    if (!value.empty() && value[0] == '/') return value;
  }
  return "";
}

}  // namespace

std::string defaultShotDir() {
  std::string pictures = env("XDG_PICTURES_DIR");
  const std::string home = env("HOME");
  if (pictures.empty() && !home.empty()) pictures = userDirsPictures(home);
  if (pictures.empty() && !home.empty()) pictures = home + "/Pictures";
  return pictures.empty() ? "" : pictures + "/lmplayer";
}

bool makeShotDir(const std::string& dir, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(dir, ec)) return true;
  std::filesystem::create_directories(dir, ec);
  if (!ec) return true;
  error = "cannot make " + dir + ": " + ec.message();
  return false;
}

}  // namespace platform
