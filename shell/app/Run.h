#pragma once
// The program: command line, data directory, then a window or headless run.
#include <string>
#include <vector>

#include "shell/app/Host.h"
#include "shell/app/Options.h"

namespace app {

// The whole program over argv; returns the exit code (2 for a bad command line).
int runMain(int argc, char** argv, const HostFactory& openWindow);

// Runs parsed options (help and version already handled). Relative output
// paths are taken from the directory the program started in.
int run(const Options& options, const HostFactory& openWindow);

// Where an installed demo lives, relative to the install prefix.
constexpr const char* kInstalledDemoDir = "share/lmplayer/demo";

// The data directory when none is given: "." when it holds kirune.ini, else
// "demo-data" beside the executable, else the installed demo in
// <exeDir>/../share/lmplayer/demo (empty when neither holds a kirune.ini).
std::string defaultDataDir(const std::string& exeDir);

// The directory of the running executable, or empty.
std::string executableDir();

}  // namespace app
