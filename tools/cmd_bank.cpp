// lmtool bank: packs sound files into PCM banks, unpacks and lists banks.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/Command.h"
#include "tools/author/bank_commands.h"

namespace {

bool parseRate(const char* text, int& rate) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < 1 || v > author::kMaxBankRate) return false;
  rate = static_cast<int>(v);
  return true;
}

// Takes "--rate R" out of the arguments; -1 when absent, 0 when malformed.
int takeRate(std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--rate") continue;
    int rate = 0;
    if (i + 1 >= args.size() || !parseRate(args[i + 1].c_str(), rate)) return 0;
    args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
    return rate;
  }
  return -1;
}

int run(int argc, char** argv) {
  if (argc < 1) return lmtool::fail("bank: missing subcommand (pack, unpack or info)");
  const std::string sub = argv[0];
  std::vector<std::string> args(argv + 1, argv + argc);
  const int rate = takeRate(args);
  if (rate == 0) return lmtool::fail("bank: --rate needs a number of Hz from 1 to 44100");
  std::string error;

  if (sub == "pack") {
    if (rate < 0) return lmtool::fail("bank pack: --rate R is required");
    if (args.size() < 2) return lmtool::fail("bank pack: usage: bank pack OUT.PCM --rate R IN1.wav [IN2.wav ...]");
    std::vector<std::string> inputs(args.begin() + 1, args.end());
    if (!author::bankPack(args[0], rate, inputs, error)) return lmtool::fail("bank pack: " + error);
    return 0;
  }
  if (sub == "unpack") {
    if (rate < 0) return lmtool::fail("bank unpack: --rate R is required");
    if (args.size() != 2) return lmtool::fail("bank unpack: usage: bank unpack IN.PCM OUTDIR --rate R");
    if (!author::bankUnpack(args[0], args[1], rate, nullptr, error)) return lmtool::fail("bank unpack: " + error);
    return 0;
  }
  if (sub == "info") {
    if (args.size() != 1 || rate > 0) return lmtool::fail("bank info: usage: bank info IN.PCM");
    std::string report;
    if (!author::bankInfo(args[0], report, error)) return lmtool::fail("bank info: " + error);
    std::fputs(report.c_str(), stdout);
    return 0;
  }
  return lmtool::fail("bank: unknown subcommand '" + sub + "' (pack, unpack or info)");
}

}  // namespace

LMTOOL_COMMAND(bank, "bank",
               "  bank pack OUT.PCM --rate R IN1.wav [IN2.wav ...]   sound files -> one 8-bit mono clip each\n"
               "  bank unpack IN.PCM OUTDIR --rate R                  each clip -> OUTDIR/clipNNN.wav\n"
               "  bank info IN.PCM                                    list the clips and their lengths",
               run);
