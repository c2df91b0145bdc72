#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <vector>

#include "platform/KeptFile.h"

namespace platform {
namespace {

bool isSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool sameIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `name` but for case; empty if none.
std::string findInDir(const std::string& dir, const std::string& name) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return {};
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (sameIgnoringCase(name, e->d_name)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

// Resolves every component of `path` case-insensitively; empty if one is missing.
std::string resolveCase(const std::string& path) {
  std::string resolved;
  size_t pos = 0;
  if (!path.empty() && path[0] == '/') {
    resolved = "/";
    pos = 1;
  }
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(pos, slash - pos);
    pos = slash + 1;
    if (part.empty() || part == "." || part == "..") {
      if (!part.empty()) resolved += part + (slash < path.size() ? "/" : "");
      continue;
    }
    std::string candidate = resolved + part;
    if (!exists(candidate)) {
      std::string match = findInDir(resolved, part);
      if (match.empty()) return {};
      candidate = resolved + match;
    }
    resolved = candidate + (slash < path.size() ? "/" : "");
  }
  return resolved;
}

// Data files are plain files. A directory (what an empty or cut name joins
// to), a device or a FIFO has no meaningful size and reads that fail, wait or
// never end; such a path counts as missing (the run's report names it).
FILE* openRegular(const std::string& path) {
  std::string ignored;
  return openKeptFile(path, ignored);
}

}  // namespace

std::string toHostPath(const char* name) {
  std::string out;
  if (!name) return out;
  for (size_t i = 0; name[i]; ++i) {
    unsigned char c = name[i];
    if (isSjisLead(c) && name[i + 1]) {
      out += name[i];
      out += name[++i];
    } else {
      out += c == '\\' ? '/' : name[i];
    }
  }
  return out;
}

FILE* openFile(const char* name, const char* mode) {
  if (!name || !mode) return nullptr;
  std::string path = toHostPath(name);
  if (path.empty()) return nullptr;
  // Data files are only ever read.
  if (std::string(mode).find_first_of("wa+") != std::string::npos) return nullptr;
  if (FILE* fp = openRegular(path)) return fp;
  std::string resolved = resolveCase(path);
  if (resolved.empty() || resolved == path) return nullptr;
  return openRegular(resolved);
}

std::string findHostPath(const char* name) {
  const std::string path = toHostPath(name);
  if (path.empty()) return path;
  return exists(path) ? path : resolveCase(path);
}

size_t readAt(FILE* fp, long long offset, void* buffer, size_t length) {
  if (!fp || offset < 0) return 0;
  const int fd = fileno(fp);
  size_t done = 0;
  while (done < length) {
    const ssize_t n = ::pread(fd, static_cast<char*>(buffer) + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

long long nextDataAt(FILE* fp, long long offset) {
#ifndef SEEK_DATA
  // No holes to ask about here (the browser's file system has none).
  (void)fp;
  return offset;
#else
  if (!fp || offset < 0) return offset;
  const int fd = fileno(fp);
  // The stream relies on its descriptor's position: put it back.
  const off_t here = ::lseek(fd, 0, SEEK_CUR);
  if (here < 0) return offset;
  const off_t data = ::lseek(fd, static_cast<off_t>(offset), SEEK_DATA);
  const int err = errno;
  ::lseek(fd, here, SEEK_SET);
  if (data >= 0) return data;
  // No data after `offset`: the rest is a hole up to the end.
  if (err == ENXIO) {
    struct stat st;
    if (::fstat(fileno(fp), &st) == 0 && st.st_size > offset) return st.st_size;
  }
  return offset;
#endif
}

}  // namespace platform
