#pragma once
// What a run reads, so that no output of it can overwrite one of its inputs.
#include <string>
#include <vector>

namespace app {

// The story's folders as found from the working directory (the data folder):
// itself and the folders kirune.ini names, each once.
std::vector<std::string> storyFolders();

// The files of those folders the story can open (its tables, pictures, banks,
// font and kirune.ini), and the saves and read marks of `saveDir`. Other files
// there, such as a trace written by the last run, are the user's.
std::vector<std::string> runInputFiles(const std::vector<std::string>& folders, const std::string& saveDir);

}  // namespace app
