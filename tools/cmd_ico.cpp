// lmtool ico: PNG icons packed into one Windows .ico file.
#include <string>
#include <vector>

#include "platform/KeptFile.h"
#include "platform/OutputFile.h"
#include "tools/Command.h"
#include "tools/author/ico_file.h"

namespace {

// An icon image is small: more than this is not one.
constexpr size_t kMaxImageBytes = 4u << 20;

int runIco(int argc, char** argv) {
  if (argc < 2) return lmtool::fail("usage: lmtool ico OUT.ico IN.png...");
  std::vector<std::vector<unsigned char>> pngs;
  for (int i = 1; i < argc; ++i) {
    pngs.emplace_back();
    std::string error;
    if (!platform::readKeptFile(argv[i], kMaxImageBytes, pngs.back(), error))
      return lmtool::fail("ico: " + (error.empty() ? "'" + std::string(argv[i]) + "' is missing" : error));
  }
  std::vector<unsigned char> ico;
  std::string error;
  if (!author::packIco(pngs, ico, error)) return lmtool::fail("ico: " + error);
  return platform::writeFileAtomic(argv[0], ico, error) ? 0 : lmtool::fail(error);
}

}  // namespace

LMTOOL_COMMAND(ico, "ico", "  ico OUT.ico IN.png...                       PNG icons packed into one Windows icon file",
               runIco);
