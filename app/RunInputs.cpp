#include "app/RunInputs.h"

#include <algorithm>

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

}  // namespace app
