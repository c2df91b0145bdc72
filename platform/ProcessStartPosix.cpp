#include "platform/ProcessStart.h"

namespace platform {

// The arguments are the program's bytes already.
void ProcessStart::takeSystemArgs(int argc, char** argv) { args_.assign(argv, argv + argc); }

}  // namespace platform
