#include "save/StoryId.h"

#include <cstdio>
#include <memory>

#include "platform/FileSystem.h"
#include "shell/FileUtils.h"

namespace save {

namespace {

struct Fnv {
  uint64_t h = 0xcbf29ce484222325ull;
  void add(const void* p, size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 0x100000001b3ull;
  }
};

// The file's name, then its bytes (or a mark that it is missing).
void addFile(Fnv& f, const std::string& name) {
  f.add(name.data(), name.size() + 1);
  struct Closer {
    void operator()(FILE* fp) const { std::fclose(fp); }
  };
  std::unique_ptr<FILE, Closer> fp(platform::openFile(name.c_str(), "rb"));
  if (!fp) {
    f.add("\0missing", 8);
    return;
  }
  char buf[65536];
  uint64_t total = 0;
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp.get())) > 0) {
    f.add(buf, n);
    total += n;
  }
  f.add(&total, sizeof total);
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

std::string storyIdText(uint64_t id) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(id));
  return buf;
}

}  // namespace save
