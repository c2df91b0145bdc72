#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/ProcessStart.h"
#include "platform/WideNames.h"

namespace platform {

namespace {

// The player is a window program: double-clicked, it has no console. Started
// from a command line without redirection it joins that console, so its
// messages and --help are seen there.
void joinParentConsole() {
  const bool hasOut = GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
  const bool hasErr = GetStdHandle(STD_ERROR_HANDLE) != nullptr;
  if ((hasOut && hasErr) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!hasOut) _wfreopen(L"CONOUT$", L"w", stdout);
  if (!hasErr) _wfreopen(L"CONOUT$", L"w", stderr);
}

}  // namespace

void ProcessStart::takeSystemArgs(int argc, char** argv) {
  joinParentConsole();
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  if (!wide) {
    args_.assign(argv, argv + argc);
    return;
  }
  for (int i = 0; i < n; ++i) args_.push_back(utf8FromWide(wide[i]));
  LocalFree(wide);
}

}  // namespace platform
