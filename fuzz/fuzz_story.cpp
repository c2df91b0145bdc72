// Fuzzes the story script compiler with arbitrary text. A script that
// compiles is written into a private directory, dumped back into a script,
// and that script compiled again: it must compile and give the same three
// files byte for byte.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "tools/author/story_compiler.h"
#include "tools/author/story_dumper.h"

namespace {

// A directory value may climb out of the output directory ("..\"): such a
// script is only compiled, never written, so the fuzzer writes nothing
// outside its own directory.
bool staysInside(const std::string& dataDir, const std::string& outDir) {
  const std::string d = std::filesystem::path(dataDir).lexically_normal().string();
  return d.compare(0, outDir.size(), outDir) == 0;
}

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz_story: %s\n%s\n", what, detail.c_str());
  fuzz::removeDir(fuzz::workDir());
  std::abort();
}

void writeSeeds(const std::string& dir) {
  const char* const scripts[][2] = {
      {"example.story", R"(# Two friends at the harbour.
character 1 aiko "Aiko"
character 2 ken "Ken"
evdir "ev/"
facedir face
start harbour

chart harbour -> stay leave
  image E001
  window open
  face aiko 0
  voice 012
  say aiko "Nice sunset.\nStay a little?"
  voice next
  choice "stay" "go home"
  branch

chart stay -> home
  say ken "Just a bit."
  face aiko hide
  image E002 drop
  jump

chart leave -> home
  say ken "Let's go."
  fade out
  fade in
  jump

chart home
  window close
  flash
)"},
      {"settings.story", R"(sysdir .
pcmdir voice
rootdir data
syspcm SYS02.PCM
skip 1
freq 11025
address 0x100
max 9
character 1 a "愛"
chart first = 3 -> 3 4
  speaker "Inline name"
  speaker a
  text "one" "two\cthree\\x"
  shake 1
  fade white
  fade from-white
  wait 255
  voice next5 1 2 3 4 5
  nop
  nop8a 7
  nop8b
  nop92 9
  raw 0x82 "ab" 0
  branch 2
chart 4 -> 3
  image ABCD pan-up
  image remove
  jump
)"},
  };
  for (const auto& s : scripts)
    fuzz::writeSeed(dir, s[0], std::vector<uint8_t>(s[1], s[1] + std::char_traits<char>::length(s[1])));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsIfAsked(&writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string outDir = std::string(fuzz::workDir()) + "/out";
  const std::string script(reinterpret_cast<const char*>(data), size);

  story::StoryFiles files;
  std::string error;
  if (!story::compileStory(script, files, &error)) return 0;
  if (!staysInside(story::storyDataDir(outDir, files.rootDir), outDir)) return 0;

  fuzz::removeDir(outDir);
  // A directory the file system refuses (a name over 255 bytes, say) is
  // reported, not written.
  if (!story::writeStoryFiles(files, outDir, &error)) {
    if (error.empty()) fail("writing failed without a message", files.rootDir);
    fuzz::removeDir(outDir);
    return 0;
  }
  std::string dumped;
  if (!dumpStory(outDir, dumped, &error)) fail("the dumper refused compiled files", error);
  fuzz::removeDir(outDir);

  story::StoryFiles again;
  if (!story::compileStory(dumped, again, &error)) fail("the dumped script does not compile", error + "\n" + dumped);
  if (again.event != files.event) fail("EVENT.BIN differs after a round trip", dumped);
  if (again.startup != files.startup) fail("ASTARTUP.BIN differs after a round trip", dumped);
  if (again.ini != files.ini) fail("kirune.ini differs after a round trip", files.ini + "---\n" + again.ini);
  return 0;
}
