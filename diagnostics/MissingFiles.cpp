#include "diagnostics/MissingFiles.h"

#include <algorithm>
#include <cctype>

#include "shell/FileUtils.h"

namespace diagnostics {
namespace {

MissingFiles* g_installed = nullptr;

void observe(const char* joined, bool opened) {
  if (g_installed) g_installed->attempt(joined ? joined : "", opened);
}

// Splits a joined name after its last directory separator.
MissingFile split(const std::string& joined) {
  size_t cut = joined.find_last_of("\\/");
  MissingFile f;
  f.name = cut == std::string::npos ? joined : joined.substr(cut + 1);
  f.dirs.push_back(cut == std::string::npos ? "" : joined.substr(0, cut + 1));
  return f;
}

bool isBank(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
  return ext == ".PCM";
}

}  // namespace

void MissingFiles::attempt(const std::string& joined, bool opened) {
  MissingFile f = split(joined);
  if (hasPending_) {
    hasPending_ = false;
    if (f.name == pending_.name) {
      if (opened) return;  // found in the second directory
      pending_.dirs.push_back(f.dirs.front());
      report(pending_);
      return;
    }
    report(pending_);
  }
  if (opened || f.name.empty()) return;
  if (isBank(f.name)) {
    pending_ = f;
    hasPending_ = true;
    return;
  }
  report(f);
}

void MissingFiles::flush() {
  if (hasPending_) report(pending_);
  hasPending_ = false;
}

void MissingFiles::report(const MissingFile& f) {
  std::string key = f.name;
  for (const auto& d : f.dirs) key += "|" + d;
  if (!said_.insert(key).second) return;
  missing_.push_back(f);
  if (onMissing) onMissing(f);
}

void MissingFiles::install(MissingFiles* files) {
  g_installed = files;
  setOpenObserver(files ? &observe : nullptr);
}

}  // namespace diagnostics
