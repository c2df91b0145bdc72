#pragma once
// Names for screenshots that never overwrite an earlier one.
#include <string>

namespace platform {

// The first "<dir>/lmplayer-NNNN.png" (NNNN from 0001, more digits past 9999)
// that does not exist yet; empty when every number up to `limit` is taken.
std::string nextScreenshotName(const std::string& dir, int limit = 99999);

}  // namespace platform
