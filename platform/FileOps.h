#pragma once
// The operating system's file calls the platform layer's files are built on,
// one small function each: the POSIX calls (FileOpsPosix.cpp) and their
// Windows twins (FileOpsWindows.cpp). Paths are the programs' own byte
// strings (UTF-8 on Windows); failures are errno values.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform::fileops {

// What stands under a name. A Windows reparse point counts as a link.
enum class Kind { Missing, Regular, Folder, Link, Fifo, Device, Socket, Other };

struct Facts {
  Kind kind = Kind::Missing;
  int error = 0;  // why the look failed, when not simply a missing name
  // Together the file's identity: two names with the same pair are one file.
  uint64_t volume = 0;
  uint64_t index = 0;
  long long size = 0;
  long long mtimeNs = 0;  // nanoseconds since 1970
  unsigned permissions = 0;
};

// What `path` is; a link at the end is not followed.
Facts lookAt(const std::string& path);
// The same, links followed.
Facts lookThrough(const std::string& path);
// What an open stream is.
Facts lookAtStream(std::FILE* fp);
// What the process's standard output is.
Facts lookAtStandardOutput();

// The paths of at most `limit` entries of `folder` ("." and ".." left out).
std::vector<std::string> entriesOf(const std::string& folder, size_t limit);

// True for the characters that separate a path's folders.
bool isSeparator(char c);
// 0 when files can be made in folder `dir`, else errno.
int folderWritable(const std::string& dir);
// The name `base` in folder `dir` as the system compares names: absolute,
// the folder's links resolved (and on Windows, case folded); empty when the
// folder cannot be resolved.
std::string comparableName(const std::string& dir, const std::string& base);

// A new file for binary writing: never an existing name, never through a
// link. Null with `err` set (EEXIST when the name is taken).
std::FILE* createNew(const std::string& path, int& err);
// An existing regular file, or a new one, emptied, for binary writing,
// without ever waiting or following a link; null when anything else stands
// there (`err` EEXIST) or it cannot be opened.
std::FILE* openEmptied(const std::string& path, int& err);
// A FIFO for writing (waits for its reader); null when it is not one.
std::FILE* openFifo(const std::string& path, int& err);
// Standard output, writing bytes as they are (never line ends translated).
std::FILE* standardOutput();
// A second stream onto standard output.
std::FILE* duplicateStandardOutput(int& err);
// A regular file for binary reading, without waiting on anything; its facts
// in `facts`. Null for anything else (`err` EEXIST) or when it fails.
std::FILE* openRegularForReading(const std::string& path, Facts& facts, int& err, bool followLinks = true);

// Gives the stream's file the permissions of the regular file `model`, if any.
void copyPermissions(const std::string& model, std::FILE* fp);
// Flushes the stream's file to the disk: 0 or errno.
int syncToDisk(std::FILE* fp);
// Best effort: the folder's entries (a rename) reach the disk.
void syncFolder(const std::string& dir);
// Puts `from` in the place of `to`, replacing a file there, in one step.
int replaceName(const std::string& from, const std::string& to);
// A second name for a file: 0 or errno.
int addName(const std::string& existing, const std::string& name);
// Removes a file's name: 0 or errno.
int removeName(const std::string& path);

// Reads up to `length` bytes at `offset` without moving the stream's position.
size_t readAt(std::FILE* fp, long long offset, void* buffer, size_t length);
// 64 bits from the system's random source; false when there is none.
bool randomBits(uint64_t& bits);
// The process's id, to tell processes apart.
uint64_t processId();

}  // namespace platform::fileops
