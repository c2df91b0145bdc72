#include <windows.h>
#include <shlobj.h>

#include <cstdlib>

#include "platform/Places.h"
#include "platform/WideNames.h"

namespace platform {

namespace {

std::string knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::string out;
  if (SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK) out = utf8FromWide(path);
  CoTaskMemFree(path);
  return out;
}

// %APPDATA% as the environment says (tests and portable set-ups move it),
// else where Windows keeps it.
std::string appData() {
  const wchar_t* env = _wgetenv(L"APPDATA");
  if (env && *env) return utf8FromWide(env);
  return knownFolder(FOLDERID_RoamingAppData);
}

std::string under(const std::string& base) { return base.empty() ? "" : base + "\\lmplayer"; }

}  // namespace

std::string settingsFolder() { return under(appData()); }

std::string dataFolder() { return under(appData()); }

std::string executablePath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &buf[0], static_cast<DWORD>(buf.size()));
    if (n == 0) return "";
    if (n < buf.size()) return utf8FromWide(buf.substr(0, n));
    if (buf.size() > 32768) return "";
    buf.resize(buf.size() * 2);
  }
}

}  // namespace platform
