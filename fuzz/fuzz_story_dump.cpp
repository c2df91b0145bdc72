// Fuzzes the story dumper with damaged game data: arbitrary kirune.ini,
// EVENT.BIN and ASTARTUP.BIN are dumped into a script, which the compiler
// then reads (its verdict is not checked: damaged data need not round-trip).
//
// Input: kirune.ini, EVENT.BIN, then ASTARTUP.BIN (the rest); the first two
// lengths are taken from the input's end.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "tools/author/story_compiler.h"
#include "tools/author/story_dumper.h"

namespace {

void writeSeeds(const std::string& dir) {
  const char* script = R"(character 1 aki "Aki"
character 2 ben "Ben"
address 16
chart one -> two three
  image AAAA zoom
  window open
  face aki 0
  voice 001
  say aki "Hello\nthere"
  choice "left" "right"
  branch
chart two -> three
  say ben "Two"
  raw 0x82 0x01
  jump
chart three
  speaker "Inline"
  fade out
)";
  story::StoryFiles files;
  std::string error;
  if (!story::compileStory(script, files, &error)) {
    std::fprintf(stderr, "seed: %s\n", error.c_str());
    std::exit(1);
  }
  std::vector<uint8_t> front(files.ini.begin(), files.ini.end());
  front.insert(front.end(), files.event.begin(), files.event.end());
  front.insert(front.end(), files.startup.begin(), files.startup.end());
  fuzz::Tail t;
  t.put<uint16_t>(static_cast<uint16_t>(files.ini.size())).put<uint16_t>(static_cast<uint16_t>(files.event.size()));
  fuzz::writeSeed(dir, "compiled", t.input(front));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsIfAsked(&writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = std::string(fuzz::workDir()) + "/data";
  static const bool made = std::filesystem::create_directories(dir) || true;
  (void)made;

  FuzzedDataProvider in(data, size);
  const size_t iniBytes = in.ConsumeIntegral<uint16_t>();
  const size_t eventBytes = in.ConsumeIntegral<uint16_t>();
  const std::vector<uint8_t> ini = in.ConsumeBytes<uint8_t>(iniBytes);
  const std::vector<uint8_t> event = in.ConsumeBytes<uint8_t>(eventBytes);
  const std::vector<uint8_t> startup = in.ConsumeRemainingBytes<uint8_t>();
  if (!fuzz::writeFile((dir + "/kirune.ini").c_str(), ini.data(), ini.size()) ||
      !fuzz::writeFile((dir + "/EVENT.BIN").c_str(), event.data(), event.size()) ||
      !fuzz::writeFile((dir + "/ASTARTUP.BIN").c_str(), startup.data(), startup.size()))
    return 0;

  std::string script, error;
  if (dumpStory(dir, script, &error)) {
    story::StoryFiles files;
    story::compileStory(script, files, &error);
  }
  return 0;
}
