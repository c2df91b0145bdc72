#include "support/TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "shell/FileUtils.h"

namespace lmtest {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::error_code ec;
  previous_ = fs::current_path(ec).string();
  // A new folder under a random name; never one that exists.
  std::random_device random;
  for (int attempt = 0; path_.empty() && attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "lmtest-%08x", static_cast<unsigned>(random()));
    const fs::path candidate = fs::temp_directory_path() / name;
    if (fs::create_directory(candidate, ec)) path_ = candidate.string();
  }
  if (path_.empty()) throw std::runtime_error("cannot make a scratch folder");
  fs::current_path(path_, ec);
  if (ec) throw std::runtime_error("cannot enter the scratch folder");
  fileUtilsReset();
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  if (!previous_.empty()) fs::current_path(previous_, ec);
  if (ec) std::perror("chdir");
  fs::remove_all(path_, ec);
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
