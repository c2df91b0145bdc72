#include "platform/ProcessStart.h"

namespace platform {

ProcessStart::ProcessStart(int argc, char** argv) {
  takeSystemArgs(argc, argv);
  pointAtArgs();
}

void ProcessStart::pointAtArgs() {
  pointers_.clear();
  for (std::string& a : args_) pointers_.push_back(a.data());
  pointers_.push_back(nullptr);
}

}  // namespace platform
