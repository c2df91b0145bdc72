// The Windows side of opening kept files (platform/KeptFile.h): a reparse
// point counts as a link, a device (NUL, CON) or a pipe is refused by name.
#include <cerrno>
#include <cstring>

#include "platform/FileOps.h"
#include "platform/KeptFile.h"

namespace platform {

namespace {

namespace os = fileops;

std::string quoted(const std::string& path) { return "'" + path + "'"; }

const char* kindOf(os::Kind kind) {
  switch (kind) {
    case os::Kind::Link: return "a symbolic link";
    case os::Kind::Folder: return "a folder";
    case os::Kind::Fifo: return "a pipe";
    case os::Kind::Device: return "a device";
    default: return "not a regular file";
  }
}

std::string refused(const std::string& path, os::Kind kind) {
  return "will not read " + quoted(path) + ": it is " + kindOf(kind) + ", not a regular file";
}

}  // namespace

std::FILE* openKeptFile(const std::string& path, std::string& error, Links links) {
  error.clear();
  if (path.empty()) return nullptr;
  const bool follow = links == Links::Follow;
  // Refuse by name first, so no device is even opened; the open looks again.
  const os::Facts named = follow ? os::lookThrough(path) : os::lookAt(path);
  if (named.kind == os::Kind::Missing) {
    if (named.error) error = "cannot read " + quoted(path) + ": " + std::strerror(named.error);
    return nullptr;
  }
  if (named.kind != os::Kind::Regular) {
    error = refused(path, named.kind);
    return nullptr;
  }
  os::Facts opened;
  int err = 0;
  std::FILE* fp = os::openRegularForReading(path, opened, err, follow);
  if (!fp) error = err == EEXIST ? refused(path, opened.kind) : "cannot read " + quoted(path) + ": " + std::strerror(err);
  return fp;
}

bool keptNameExists(const std::string& path) {
  if (path.empty()) return false;
  const os::Facts f = os::lookAt(path);
  return f.kind != os::Kind::Missing || f.error != 0;
}

}  // namespace platform
