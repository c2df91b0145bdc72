#pragma once
// Helpers shared by the tests: a scratch working directory and byte builders.
#include <cstdint>
#include <string>
#include <vector>

namespace lmtest {

// Creates a fresh directory, makes it the working directory and forgets the
// data-directory table; restores the previous directory and removes the new
// one (recursively) on destruction.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};

using Bytes = std::vector<unsigned char>;

void writeFile(const std::string& path, const Bytes& bytes);
void writeText(const std::string& path, const std::string& text);
Bytes readFile(const std::string& path);
bool fileExists(const std::string& path);
void makeDirs(const std::string& path);

// Big-endian appenders.
void put16(Bytes& b, uint32_t v);
void put32(Bytes& b, uint32_t v);

// The source tree and the build tree (from the test environment).
std::string sourceDir();
std::string binaryDir();

}  // namespace lmtest
