// lmtool pf1: encode PNG pictures as PF1, decode PF1 to PNG, describe a PF1 file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/Command.h"
#include "tools/author/pf1_commands.h"

namespace {

int usageError() {
  return lmtool::fail("usage: lmtool pf1 encode OUT.PF1 IN.png [IN2.png ...] | decode IN.PF1 OUT.png [--block N] | info IN.PF1");
}

bool parseBlock(const char* text, int& block) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < 0 || v > 0xFFFF) return false;
  block = static_cast<int>(v);
  return true;
}

int runPf1(int argc, char** argv) {
  if (argc < 1) return usageError();
  const std::string sub = argv[0];
  std::string error;
  if (sub == "encode") {
    if (argc < 3) return usageError();
    std::vector<std::string> inputs(argv + 2, argv + argc);
    return author::pf1Encode(argv[1], inputs, error) ? 0 : lmtool::fail(error);
  }
  if (sub == "decode") {
    if (argc != 3 && argc != 5) return usageError();
    int block = -1;
    if (argc == 5 && (std::strcmp(argv[3], "--block") != 0 || !parseBlock(argv[4], block)))
      return lmtool::fail("pf1 decode: --block takes a block number (0, 1, ...)");
    return author::pf1Decode(argv[1], argv[2], block, error) ? 0 : lmtool::fail(error);
  }
  if (sub == "info") {
    if (argc != 2) return usageError();
    std::string report;
    bool ok = author::pf1Info(argv[1], report, error);
    std::fputs(report.c_str(), stdout);
    return ok ? 0 : lmtool::fail(error);
  }
  return usageError();
}

}  // namespace

LMTOOL_COMMAND(pf1,
               "pf1",
               "  pf1 encode OUT.PF1 IN.png [IN2.png ...]   each PNG becomes one block (same size)\n"
               "  pf1 decode IN.PF1 OUT.png [--block N]     as the player shows it, or block N alone\n"
               "  pf1 info IN.PF1                           size, blocks, damage",
               runPf1);
