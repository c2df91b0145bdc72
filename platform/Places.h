#pragma once
// Where the player keeps its own files, by each system's custom. Each is
// empty when the system does not say.
#include <string>

namespace platform {

// Settings: "$XDG_CONFIG_HOME/lmplayer" (an absolute one), else
// "~/.config/lmplayer"; on Windows "%APPDATA%\lmplayer".
std::string settingsFolder();
// Saves and read marks: "$XDG_DATA_HOME/lmplayer" (an absolute one), else
// "~/.local/share/lmplayer"; on Windows "%APPDATA%\lmplayer".
std::string dataFolder();
// The running program's own file.
std::string executablePath();

}  // namespace platform
