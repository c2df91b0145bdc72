#pragma once
// The calendar time in the user's time zone, safely from any thread.
#include <ctime>

namespace platform {

// False when the system cannot tell.
bool localTime(std::time_t t, std::tm& out);

}  // namespace platform
