// lmtool: the authoring toolchain. Dispatches to the registered subcommands.
#include "tools/Command.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

namespace lmtool {

static std::vector<Command>& registry() {
  static std::vector<Command> commands;
  return commands;
}

bool registerCommand(const Command& cmd) {
  registry().push_back(cmd);
  return true;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "lmtool: %s\n", message.c_str());
  return 1;
}

}  // namespace lmtool

static void usage(FILE* out) {
  std::fprintf(out, "usage: lmtool COMMAND [ARGS...]\n\ncommands:\n");
  for (const auto& c : lmtool::registry()) std::fprintf(out, "%s\n", c.usage);
}

int main(int argc, char** argv) {
  if (argc < 2) {
    usage(stderr);
    return 2;
  }
  if (!std::strcmp(argv[1], "help") || !std::strcmp(argv[1], "--help")) {
    usage(stdout);
    return 0;
  }
  for (const auto& c : lmtool::registry()) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    // An input too large to hold is one line and exit 2, never an abort.
    try {
      return c.run(argc - 2, argv + 2);
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "lmtool: out of memory: an input is larger than this machine can hold\n");
    } catch (const std::length_error& e) {
      std::fprintf(stderr, "lmtool: %s\n", e.what());
    }
    return 2;
  }
  std::fprintf(stderr, "lmtool: unknown command '%s' (try 'lmtool help')\n", argv[1]);
  return 2;
}
