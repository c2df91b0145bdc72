#include "platform/PicturesDir.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/KeptFile.h"

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
  // A kept file of someone else's making: a regular file only, never waited on.
  std::vector<unsigned char> bytes;
  std::string ignored;
  if (!readKeptFile(config + "/user-dirs.dirs", 1 << 20, bytes, ignored)) return "";
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
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
  std::string home = env("HOME");
  if (home[0] != '/') home.clear();  // a relative HOME would name a place below the data folder
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
