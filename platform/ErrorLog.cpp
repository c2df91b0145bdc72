#include "platform/ErrorLog.h"

#include "platform/FileOps.h"

namespace platform {

std::FILE* openErrorLog(const char* name) {
  if (!name) return nullptr;
  // Anything but a regular file is not opened at all: opening a device or a
  // FIFO can block or act on it.
  const fileops::Kind kind = fileops::lookAt(name).kind;
  if (kind != fileops::Kind::Missing && kind != fileops::Kind::Regular) return nullptr;
  int err = 0;
  return fileops::openEmptied(name, err);
}

}  // namespace platform
