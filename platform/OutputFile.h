#pragma once
// Every file the programs write goes through here, so that writing an output
// can never damage anything but that output:
// - "-", a FIFO, or the file standard output already is, are written as a
//   stream, in place;
// - a missing name, or an existing regular file, is written under a temporary
//   name created exclusively in the target's folder (never following a link),
//   flushed to disk and renamed over the target, so a half-written file is
//   never seen and a failed write leaves the old file as it was;
// - anything else that exists under the name (a device, a link, a directory,
//   a socket) is refused and left alone.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// How an output path would be written.
enum class OutputKind { Refused, Replace, Stream };

// Classifies `path` without writing anything; for Refused, `error` says why
// (also for a missing or unwritable folder).
OutputKind checkOutputPath(const std::string& path, std::string& error);

// One output named on a command line: what it is for ("--trace") and its path.
struct NamedOutput {
  std::string what;
  std::string path;
};

// Checks a run's outputs before anything is written: each must be writable
// as above, and no two may name the same file. False with a reason.
bool checkOutputPaths(const std::vector<NamedOutput>& outputs, std::string& error);

// Refuses an output that would overwrite one of the run's own inputs: a file
// directly in one of `inputFolders`, or one of `inputFiles` (compared as
// files, whatever the spelling or links). False with a reason naming the output.
bool checkOutputsSpareInputs(const std::vector<NamedOutput>& outputs, const std::vector<std::string>& inputFolders,
                             const std::vector<std::string>& inputFiles, std::string& error);

// One output being written. Nothing appears under the target's name until
// commit() (streams excepted); destruction without commit() leaves no trace.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // What may stand under the name: any output above, or only a missing name
  // or a regular file (a kept file, which is never a stream).
  enum Accept { AnyOutput, Kept };

  // Starts the output; false with a reason (nothing created) when the target
  // is refused or the temporary cannot be made.
  bool open(const std::string& path, std::string& error, Accept accept = AnyOutput);
  // The stdio stream to write to; null when not open.
  std::FILE* stream() const { return fp_; }
  bool isOpen() const { return fp_ != nullptr; }
  // True for a file being replaced (seekable); false for a stream.
  bool replacing() const { return !temp_.empty(); }
  // Writes bytes; false once anything failed.
  bool write(const void* bytes, size_t length);
  // Flushes and closes; a replaced file is synced and renamed into place.
  // False with a reason when any write failed (then nothing is replaced).
  bool commit(std::string& error);
  // Closes and removes the temporary; the target is left as it was.
  void abandon();
  const std::string& path() const { return path_; }

 private:
  std::FILE* fp_ = nullptr;
  bool ownsStream_ = false;  // false for standard output, which stays open
  std::string path_, temp_;
};

// For logs watched while they grow: opens `path` itself for writing, emptied
// (created when missing, truncated only when a regular file), under the same
// refusals as above and never through a link; a FIFO or standard output is
// written as a stream. The caller fcloses the result; null with a reason.
std::FILE* openOutputInPlace(const std::string& path, std::string& error);

// Removes temporaries of our own naming (".<name>.<16 hex digits>.tmp" or
// ".old") in `folder` whose last change is older than `maxAgeSeconds`: what a
// killed run left behind. Anything else is left alone. The number removed.
int removeStaleTemporaries(const std::string& folder, long long maxAgeSeconds);

// Test hook: temporaries are named "<folder>/.<name>.<tag>.tmp" with a random
// tag; a non-null `next` supplies the tags instead (null restores random ones).
void setTemporaryTagSource(std::string (*next)());

// Writes `bytes` as the whole of `path` through an OutputFile: the old file
// stays until the new one is complete. False with a reason on failure.
bool writeFileAtomic(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error);

// Several files replaced together: all are written to temporaries first, then
// renamed into place; if any step fails, every target keeps its old content
// (or stays missing). Streams are not allowed in a set.
class OutputSet {
 public:
  void add(const std::string& path, std::vector<unsigned char> bytes);
  // False with a reason; then no target has changed.
  bool commit(std::string& error);

  // Test hook: called before the n-th rename (from 0); returning false makes
  // that rename fail as a full disk or a vanished folder would.
  using RenameHook = bool (*)(size_t n);
  static void setRenameHook(RenameHook hook);

 private:
  struct Entry {
    std::string path;
    std::vector<unsigned char> bytes;
  };
  std::vector<Entry> entries_;
};

}  // namespace platform
