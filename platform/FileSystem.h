#pragma once
// Opening data files named the Windows way on this file system.
#include <cstdio>
#include <string>

namespace platform {

// Turns a backslash into '/', except where it is the second byte of a
// Shift-JIS double-byte character (for example 0x95 0x5C).
std::string toHostPath(const char* name);

// Opens `name` (a Windows-style path) for reading ("rb"; a writing `mode`
// opens nothing). When the path does not exist as spelled, each component is
// looked up without regard to ASCII case (an exact match wins). Only a
// regular file opens, without ever waiting (platform/KeptFile.h); returns
// null when nothing fits.
FILE* openFile(const char* name, const char* mode);

// The path on this file system that `name` (Windows-style) names, as spelled
// or looked up without regard to case as openFile does; empty when none exists.
std::string findHostPath(const char* name);

// Reads up to `length` bytes at `offset` of an open file without moving its
// stream position; returns how many were read.
size_t readAt(FILE* fp, long long offset, void* buffer, size_t length);

// Where the next byte that may be nonzero lies at or after `offset` of an
// open file: holes of a sparse file read as zeros and are skipped. `offset`
// itself when that cannot be told; the file's end when only holes follow.
long long nextDataAt(FILE* fp, long long offset);

}  // namespace platform
