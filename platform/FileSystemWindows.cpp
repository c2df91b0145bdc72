#include <windows.h>

#include <cstring>

#include "platform/FileOps.h"
#include "platform/FileSystem.h"
#include "platform/WideNames.h"

namespace platform {

// Windows takes the backslash as it is.
std::string toHostPath(const char* name) { return name ? name : ""; }

// Data names are Shift-JIS, matched without regard to case by Windows itself.
// Only regular files open: a folder or a device (NUL, CON) counts as missing.
namespace {

// The data name as the programs' own paths spell it (UTF-8).
std::string ownPath(const char* name) { return name && *name ? utf8FromWide(wideFromShiftJis(name)) : ""; }

}  // namespace

FILE* openFile(const char* name, const char* mode) {
  if (!mode) return nullptr;
  // Data files are only ever read.
  if (std::strpbrk(mode, "wa+")) return nullptr;
  const std::string path = ownPath(name);
  if (path.empty()) return nullptr;
  fileops::Facts facts;
  int err = 0;
  return fileops::openRegularForReading(path, facts, err);
}

std::string findHostPath(const char* name) {
  const std::string path = ownPath(name);
  return !path.empty() && fileops::lookThrough(path).kind != fileops::Kind::Missing ? path : "";
}

size_t readAt(FILE* fp, long long offset, void* buffer, size_t length) {
  return fileops::readAt(fp, offset, buffer, length);
}

// Holes are not asked about here: every byte is read.
long long nextDataAt(FILE*, long long offset) { return offset; }

}  // namespace platform
