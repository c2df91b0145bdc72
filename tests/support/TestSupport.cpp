#include "support/TestSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "shell/FileUtils.h"

namespace lmtest {

ScratchDir::ScratchDir() {
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd)) previous_ = cwd;
  std::string tmpl = (std::filesystem::temp_directory_path() / "lmtest-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
  if (chdir(path_.c_str()) != 0) throw std::runtime_error("chdir failed");
  fileUtilsReset();
}

ScratchDir::~ScratchDir() {
  if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::perror("chdir");
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
  fileUtilsReset();
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

void makeDirs(const std::string& path) { std::filesystem::create_directories(path); }

void put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<unsigned char>(v >> 8));
  b.push_back(static_cast<unsigned char>(v));
}

void put32(Bytes& b, uint32_t v) {
  put16(b, v >> 16);
  put16(b, v & 0xFFFF);
}

static std::string env(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return v ? v : fallback;
}

std::string sourceDir() { return env("LM_SOURCE_DIR", LM_DEFAULT_SOURCE_DIR); }
std::string binaryDir() { return env("LM_BINARY_DIR", LM_DEFAULT_BINARY_DIR); }

}  // namespace lmtest
