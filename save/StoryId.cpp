#include "save/StoryId.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/StopSignals.h"
#include "shell/FileUtils.h"

namespace save {

namespace {

// A story's own files are far smaller than this and are hashed whole. Past
// it only samples are: a file that merely claims to be huge (sparse) must not
// cost its size at every start.
constexpr long long kWholeBytes = 16ll << 20;
constexpr size_t kSampleBytes = 64 << 10;
constexpr int kSamples = 64;

struct Fnv {
  uint64_t h = 0xcbf29ce484222325ull;
  void add(const void* p, size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 0x100000001b3ull;
  }
};

struct Closer {
  void operator()(FILE* fp) const { std::fclose(fp); }
};

long long sizeOf(FILE* fp) {
  if (std::fseek(fp, 0, SEEK_END) != 0) return -1;
  const long long size = std::ftell(fp);
  std::rewind(fp);
  return size;
}

// Every byte, then the count.
void addWhole(Fnv& f, FILE* fp) {
  char buf[65536];
  uint64_t total = 0;
  size_t n;
  while (!platform::stopSignal() && (n = std::fread(buf, 1, sizeof buf, fp)) > 0) {
    f.add(buf, n);
    total += n;
  }
  f.add(&total, sizeof total);
}

// The size, then evenly spaced pieces from the first byte to the last.
void addSamples(Fnv& f, FILE* fp, long long size) {
  f.add("\0sampled", 8);
  f.add(&size, sizeof size);
  std::vector<char> buf(kSampleBytes);
  const long long span = size - static_cast<long long>(kSampleBytes);
  for (int i = 0; i < kSamples && !platform::stopSignal(); ++i) {
    const long long at = span * i / (kSamples - 1);
    f.add(buf.data(), platform::readAt(fp, at, buf.data(), buf.size()));
  }
}

// The file's name, then its contents (or a mark that it is missing).
void addFile(Fnv& f, const std::string& name) {
  f.add(name.data(), name.size() + 1);
  std::unique_ptr<FILE, Closer> fp(platform::openFile(name.c_str(), "rb"));
  if (!fp) {
    f.add("\0missing", 8);
    return;
  }
  const long long size = sizeOf(fp.get());
  if (size > kWholeBytes) addSamples(f, fp.get(), size);
  else addWhole(f, fp.get());
}

}  // namespace

uint64_t currentStoryId() {
  Fnv f;
  addFile(f, LM_INI_FILE);
  char root[1024];
  iniString("ROOTDIR", ".\\", root, sizeof root);
  addFile(f, std::string(root) + "ASTARTUP.BIN");
  addFile(f, std::string(root) + "EVENT.BIN");
  return f.h;
}

long long storyEventBytes() {
  char root[1024];
  iniString("ROOTDIR", ".\\", root, sizeof root);
  std::unique_ptr<FILE, Closer> fp(platform::openFile((std::string(root) + "EVENT.BIN").c_str(), "rb"));
  return fp ? sizeOf(fp.get()) : -1;
}

std::string storyIdText(uint64_t id) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(id));
  return buf;
}

}  // namespace save
