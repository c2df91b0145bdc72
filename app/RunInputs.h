#pragma once
// What a run reads, so that no output of it can overwrite one of its inputs.
#include <string>
#include <vector>

namespace app {

// The story's folders as found from the working directory (the data folder):
// itself and the folders kirune.ini names, each once.
std::vector<std::string> storyFolders();

}  // namespace app
