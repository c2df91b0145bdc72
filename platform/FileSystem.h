#pragma once
// Opening data files named the Windows way on this file system.
#include <cstdio>
#include <string>

namespace platform {

// Turns a backslash into '/', except where it is the second byte of a
// Shift-JIS double-byte character (for example 0x95 0x5C).
std::string toHostPath(const char* name);

// Opens `name` (a Windows-style path) with stdio `mode`. When the path does not
// exist as spelled, each component is looked up without regard to ASCII case
// (an exact match wins). Returns null when nothing fits.
FILE* openFile(const char* name, const char* mode);

}  // namespace platform
