// lmtool ico: PNG icons packed into one Windows .ico file.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/OutputFile.h"
#include "tools/Command.h"
#include "tools/author/ico_file.h"

namespace {

// An icon image is small: more than this is not one.
constexpr size_t kMaxImageBytes = 4u << 20;

bool readWhole(const char* path, std::vector<unsigned char>& bytes) {
  std::FILE* fp = std::fopen(path, "rb");
  if (!fp) return false;
  unsigned char buf[65536];
  size_t n;
  while (bytes.size() <= kMaxImageBytes && (n = std::fread(buf, 1, sizeof buf, fp)) > 0)
    bytes.insert(bytes.end(), buf, buf + n);
  const bool ok = !std::ferror(fp) && bytes.size() <= kMaxImageBytes;
  std::fclose(fp);
  return ok;
}

int runIco(int argc, char** argv) {
  if (argc < 2) return lmtool::fail("usage: lmtool ico OUT.ico IN.png...");
  std::vector<std::vector<unsigned char>> pngs;
  for (int i = 1; i < argc; ++i) {
    pngs.emplace_back();
    if (!readWhole(argv[i], pngs.back())) return lmtool::fail(std::string("ico: cannot read '") + argv[i] + "'");
  }
  std::vector<unsigned char> ico;
  std::string error;
  if (!author::packIco(pngs, ico, error)) return lmtool::fail("ico: " + error);
  return platform::writeFileAtomic(argv[0], ico, error) ? 0 : lmtool::fail(error);
}

}  // namespace

LMTOOL_COMMAND(ico, "ico", "  ico OUT.ico IN.png...                       PNG icons packed into one Windows icon file",
               runIco);
