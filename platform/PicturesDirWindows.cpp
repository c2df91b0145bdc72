#include <windows.h>
#include <shlobj.h>

#include <filesystem>

#include "platform/PicturesDir.h"
#include "platform/WideNames.h"

namespace platform {

// "lmplayer" inside the user's Pictures folder, as Windows knows it.
std::string defaultShotDir() {
  PWSTR path = nullptr;
  std::string pictures;
  if (SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_DEFAULT, nullptr, &path) == S_OK) pictures = utf8FromWide(path);
  CoTaskMemFree(path);
  return pictures.empty() ? "" : pictures + "\\lmplayer";
}

bool makeShotDir(const std::string& dir, std::string& error) {
  namespace fs = std::filesystem;
  const fs::path wide(wideFromUtf8(dir));
  std::error_code ec;
  if (fs::is_directory(wide, ec)) return true;
  fs::create_directories(wide, ec);
  if (!ec) return true;
  error = "cannot make " + dir + ": " + ec.message();
  return false;
}

}  // namespace platform
