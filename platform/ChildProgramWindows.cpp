// Windows: lmtool, the one caller, is built for Linux only; no filter
// program is run here.
#include "platform/ChildProgram.h"

namespace platform {

ChildResult runFilter(const std::vector<std::string>&, const std::string&, std::FILE*, double) {
  return {ChildOutcome::NotFound, -1};
}

}  // namespace platform
