#pragma once
// Helpers shared by the fuzz targets: a private working directory that is
// removed at exit, whole-file writes, and seed writing.
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "shell/FileUtils.h"

namespace fuzz {

// Removes `dir` and everything below it.
inline void removeDir(const std::string& dir) {
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

// A fresh directory under /tmp, made once per process and removed when the
// process exits normally or a sanitizer reports (a libFuzzer crash exit
// skips exit handlers).
inline const char* workDir() {
  // A plain array: it must still be there when the exit handler runs.
  static char name[] = "/tmp/lm-fuzz-XXXXXX";
  static const bool made = [] {
    if (!mkdtemp(name)) std::abort();
    std::atexit([] { removeDir(name); });
    __sanitizer_set_death_callback([] { removeDir(name); });
    return true;
  }();
  (void)made;
  return name;
}

// Makes workDir() the working directory for one run, so that the player's
// relative file names ("./kirune.ini", "FONT.FON", ...) land there, and goes
// back afterwards: libFuzzer reads and writes its corpus between runs, in
// the directory it was started in. (A crash leaves the working directory
// here: give libFuzzer an absolute -artifact_prefix.)
class InWorkDir {
 public:
  InWorkDir() {
    if (!getcwd(previous_, sizeof previous_) || chdir(workDir()) != 0) std::abort();
    fileUtilsReset();
  }
  ~InWorkDir() {
    if (chdir(previous_) != 0) std::abort();
  }
  InWorkDir(const InWorkDir&) = delete;
  InWorkDir& operator=(const InWorkDir&) = delete;

 private:
  char previous_[4096];
};

inline bool writeFile(const char* name, const uint8_t* data, size_t size) {
  FILE* fp = std::fopen(name, "wb");
  if (!fp) return false;
  const bool ok = std::fwrite(data, 1, size, fp) == size;
  return std::fclose(fp) == 0 && ok;
}

inline bool writeText(const char* name, const std::string& text) {
  return writeFile(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// Pictures the loader accepts may be as large as 16 M pixels, most of them
// transparent when the file is small; clearing such arrays dominates a run.
// The decoder works the same at every size, so the fuzzers keep to at most
// 1 M pixels per picture (huge sizes are covered by the unit tests).
inline bool pictureTooSlow(const std::vector<uint8_t>& file, int layers) {
  if (file.size() < 16) return false;
  const long long w = (file[6] << 8) | file[7], h = (file[8] << 8) | file[9];
  return w * h * layers > (1LL << 20);
}

// Builds the end of a seed input for FuzzedDataProvider, which takes its
// numbers from the input's end: values are added in the order the target
// consumes them, and input() puts them behind the bytes the target reads from
// the front.
class Tail {
 public:
  // A value of a whole integer type, as ConsumeIntegral<T>() reads it.
  template <typename T>
  Tail& put(T v) {
    using U = std::make_unsigned_t<T>;
    raw(static_cast<uint64_t>(static_cast<U>(v) - static_cast<U>(std::numeric_limits<T>::min())), sizeof(T));
    return *this;
  }
  Tail& flag(bool v) { return raw(v ? 1 : 0, 1); }
  // A value as ConsumeIntegralInRange(lo, hi) reads it (hi - lo below 65536).
  Tail& inRange(long v, long lo, long hi) { return raw(static_cast<uint64_t>(v - lo), hi - lo > 255 ? 2 : 1); }

  std::vector<uint8_t> input(const std::vector<uint8_t>& front) const {
    std::vector<uint8_t> out = front;
    out.insert(out.end(), bytes_.rbegin(), bytes_.rend());
    return out;
  }

 private:
  // The first byte read is the most significant.
  Tail& raw(uint64_t r, int n) {
    for (int i = n - 1; i >= 0; --i) bytes_.push_back(static_cast<uint8_t>(r >> (8 * i)));
    return *this;
  }
  std::vector<uint8_t> bytes_;
};

// Seed writing: with LM_FUZZ_WRITE_SEEDS=DIR in the environment a target
// writes its seed corpus into DIR (through `write`) and exits instead of fuzzing.
using SeedWriter = void (*)(const std::string& dir);
inline void writeSeedsIfAsked(SeedWriter write) {
  const char* dir = std::getenv("LM_FUZZ_WRITE_SEEDS");
  if (!dir || !*dir) return;
  write(dir);
  std::exit(0);
}

inline void writeSeed(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
  if (!writeFile((dir + "/" + name).c_str(), bytes.data(), bytes.size())) {
    std::fprintf(stderr, "cannot write seed %s/%s\n", dir.c_str(), name.c_str());
    std::exit(1);
  }
}

}  // namespace fuzz
