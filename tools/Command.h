#pragma once
// lmtool subcommands register themselves at static-initialisation time.
#include <string>

namespace lmtool {

// A subcommand gets the arguments after its own name; returns the exit code.
using CommandFn = int (*)(int argc, char** argv);

struct Command {
  const char* name;
  const char* usage;  // one or more lines, shown by `lmtool help`
  CommandFn run;
};

bool registerCommand(const Command& cmd);

// Prints "lmtool: <message>" on standard error and returns 1.
int fail(const std::string& message);

}  // namespace lmtool

#define LMTOOL_COMMAND(ident, name, usage, fn) \
  static const bool ident##_registered = ::lmtool::registerCommand({name, usage, fn})
