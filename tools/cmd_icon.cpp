// lmtool icon: an application icon cut from a picture.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/Command.h"
#include "tools/author/icon.h"

namespace {

int usageError() { return lmtool::fail("usage: lmtool icon IN.png OUT.png --size N [--crop X,Y,SIDE]"); }

bool parseInt(const char* text, int& v) {
  char* end = nullptr;
  long n = std::strtol(text, &end, 10);
  if (!*text || *end || n < 0 || n > 1 << 20) return false;
  v = static_cast<int>(n);
  return true;
}

bool parseCrop(const std::string& text, author::IconCrop& crop) {
  int x = 0, y = 0, side = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d,%d,%d%c", &x, &y, &side, &tail) != 3 || side < 1) return false;
  crop = {x, y, side};
  return true;
}

int runIcon(int argc, char** argv) {
  if (argc < 2) return usageError();
  author::IconCrop crop;
  int size = 0;
  for (int i = 2; i < argc; i += 2) {
    if (i + 1 >= argc) return usageError();
    if (std::strcmp(argv[i], "--size") == 0) {
      if (!parseInt(argv[i + 1], size)) return lmtool::fail("icon: --size takes a number of pixels");
    } else if (std::strcmp(argv[i], "--crop") == 0) {
      if (!parseCrop(argv[i + 1], crop)) return lmtool::fail("icon: --crop takes X,Y,SIDE (SIDE at least 1)");
    } else {
      return usageError();
    }
  }
  if (size == 0) return usageError();
  std::string error;
  return author::makeIcon(argv[0], argv[1], crop, size, error) ? 0 : lmtool::fail(error);
}

}  // namespace

LMTOOL_COMMAND(icon,
               "icon",
               "  icon IN.png OUT.png --size N [--crop X,Y,SIDE]   a square of the picture (default: the\n"
               "                                                 largest centred one) averaged down to N x N",
               runIcon);
