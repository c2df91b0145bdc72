#pragma once
// The files the programs keep and read back (saves, read marks, settings, the
// story's INI and data files, a tool's inputs) are regular files and nothing
// else: opening one never waits (a FIFO under the name cannot hang a run),
// what was opened is checked after opening, and anything that is not a
// regular file is refused with one line naming it. Writing one goes through
// the output rules (platform/OutputFile.h) with streams refused as well.
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// Whether a symbolic link under the kept name is followed. The player's own
// files never are; a story's data folder may be built from links.
enum class Links { Follow, Refuse };

// Opens `path` for reading when it is a regular file. Null otherwise, with
// `error` naming the file and saying why; `error` stays empty when the file
// is simply missing.
std::FILE* openKeptFile(const std::string& path, std::string& error, Links links = Links::Follow);

// Reads the whole of a kept file of at most `maxBytes`; false as above, or
// with a reason when it is larger or cannot be read.
bool readKeptFile(const std::string& path, size_t maxBytes, std::vector<unsigned char>& bytes, std::string& error,
                  Links links = Links::Follow);

// True when `path` is a regular file that opens for reading; else `error`
// says why (empty when it is missing).
bool isReadableKeptFile(const std::string& path, std::string& error, Links links = Links::Follow);

// True when anything at all stands under the name (a link is not followed).
bool keptNameExists(const std::string& path);

// Checks, before a run, a kept file it will write: a missing name, or a
// regular file, is fine; "-", a FIFO, a device, a link or a folder is refused
// with a reason.
bool checkKeptOutput(const std::string& path, std::string& error);

// Writes `bytes` as the whole of `path`, only ever over a missing name or a
// regular file (never a FIFO, device, link or standard output), atomically.
bool writeKeptFile(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error);

}  // namespace platform
