// The POSIX side of opening kept files (platform/KeptFile.h).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/KeptFile.h"

namespace platform {

namespace {

std::string quoted(const std::string& path) { return "'" + path + "'"; }

const char* kindOf(mode_t mode) {
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

std::string refused(const std::string& path, mode_t mode) {
  return "will not read " + quoted(path) + ": it is " + kindOf(mode) + ", not a regular file";
}

}  // namespace

std::FILE* openKeptFile(const std::string& path, std::string& error, Links links) {
  error.clear();
  if (path.empty()) return nullptr;
  // Refuse by name first, so no device is even opened; then open without
  // waiting and look again at what was opened, in case the name changed.
  struct stat st;
  const int statted = links == Links::Follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
  if (statted != 0) {
    if (errno != ENOENT && errno != ENOTDIR) error = "cannot read " + quoted(path) + ": " + std::strerror(errno);
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    error = refused(path, st.st_mode);
    return nullptr;
  }
  const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0);
  const int fd = ::open(path.c_str(), flags);
  if (fd < 0) {
    error = errno == ELOOP ? refused(path, S_IFLNK) : "cannot read " + quoted(path) + ": " + std::strerror(errno);
    return nullptr;
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = refused(path, st.st_mode);
    ::close(fd);
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* fp = ::fdopen(fd, "rb");
  if (!fp) {
    error = "cannot read " + quoted(path) + ": out of memory";
    ::close(fd);
  }
  return fp;
}

bool keptNameExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

}  // namespace platform
