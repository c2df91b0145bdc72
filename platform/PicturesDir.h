#pragma once
// Where the user keeps pictures: the player's screenshots go to a folder of
// its own below it.
#include <string>

namespace platform {

// The screenshot folder: "lmplayer" inside the user's pictures folder, which
// is $XDG_PICTURES_DIR, else the one "$XDG_CONFIG_HOME/user-dirs.dirs" (or
// "~/.config/user-dirs.dirs") names, else "~/Pictures". Empty without a home.
std::string defaultShotDir();

// Makes `dir` and its parents when missing; false with a reason otherwise.
bool makeShotDir(const std::string& dir, std::string& error);

}  // namespace platform
