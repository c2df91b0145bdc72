#include "platform/Clock.h"

namespace platform {

// Out of line so the vtable lives in one object file.
Clock::~Clock() = default;

}  // namespace platform
