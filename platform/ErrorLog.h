#pragma once
// The error log the player creates, empty, at start-up and closes at exit.
#include <cstdio>

namespace platform {

// Creates `name` empty, or empties it when it is a regular file, and opens it
// for writing. Never follows a link, never waits (a FIFO, a device or a
// link under that name is left alone and gives null), never fails the caller:
// null means there is no log.
std::FILE* openErrorLog(const char* name);

}  // namespace platform
