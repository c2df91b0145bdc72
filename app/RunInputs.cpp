#include "app/RunInputs.h"

#include <algorithm>
#include <cctype>

#include "platform/FileOps.h"
#include "platform/FileSystem.h"
#include "shell/FileUtils.h"

namespace app {

std::vector<std::string> storyFolders() {
  std::vector<std::string> folders = {"."};
  for (const char* key : {"SYSDIR", "PCMDIR", "ROOTDIR", "EVDIR", "FACEDIR"}) {
    char value[1024];
    iniString(key, ".\\", value, sizeof value);
    const std::string found = platform::findHostPath(value);
    if (!found.empty() && std::find(folders.begin(), folders.end(), found) == folders.end()) folders.push_back(found);
  }
  return folders;
}

namespace {

// A folder of a million entries is not searched to its end.
constexpr size_t kMaxEntries = 100000;

std::string lowerExtension(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t sep = path.find_last_of("/\\");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

void addEntries(const std::string& folder, const std::vector<std::string>& kinds, std::vector<std::string>& out) {
  if (folder.empty()) return;
  for (const std::string& entry : platform::fileops::entriesOf(folder, kMaxEntries))
    if (std::find(kinds.begin(), kinds.end(), lowerExtension(entry)) != kinds.end()) out.push_back(entry);
}

}  // namespace

std::vector<std::string> runInputFiles(const std::vector<std::string>& folders, const std::string& saveDir) {
  std::vector<std::string> files;
  for (const std::string& folder : folders) addEntries(folder, {"ini", "bin", "pf1", "pcm", "fon"}, files);
  addEntries(saveDir, {"sav", "dat"}, files);
  return files;
}

}  // namespace app
