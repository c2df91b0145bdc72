#include "platform/ErrorLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::FILE* openErrorLog(const char* name) {
  if (!name) return nullptr;
  struct stat st;
  // Anything but a regular file is not opened at all: opening a device or a
  // FIFO can block or act on it.
  if (::lstat(name, &st) == 0 && !S_ISREG(st.st_mode)) return nullptr;
  const int fd = ::open(name, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  // It may have been swapped since the look above: truncate regular files only.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return nullptr;
  }
  // Writes need not be non-blocking on a regular file; clear it for stdio's sake.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* fp = ::fdopen(fd, "wb");
  if (!fp) ::close(fd);
  return fp;
}

}  // namespace platform
