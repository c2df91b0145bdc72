#pragma once
// Running another program (Graphviz's dot) as a filter: bytes in on its
// standard input, its standard output into a file the caller opened, and a
// time limit after which it is killed.
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

enum class ChildOutcome { Finished, NotFound, TimedOut, Stopped, Failed };

struct ChildResult {
  ChildOutcome outcome = ChildOutcome::Failed;
  int exitCode = -1;  // when Finished
};

// Runs `argv` (argv[0] looked up on PATH) with `input` on its standard input
// and its standard output written to `out`; standard error is shared. Kills it
// after `seconds`, or at a stop signal (platform/StopSignals.h).
ChildResult runFilter(const std::vector<std::string>& argv, const std::string& input, std::FILE* out, double seconds);

}  // namespace platform
