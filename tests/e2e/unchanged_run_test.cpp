// Pins what a plain run produces: the frames, the sound and the trace of two
// scripted headless plays of the demo, as hashes recorded before the player
// gained any layer of its own. A run that uses no new key, option or setting
// must keep producing exactly these. The story is built from a frozen copy of
// the demo script, so later edits of the demo itself do not move the pins.
#include <gtest/gtest.h>

#include <cinttypes>
#include <filesystem>

#include "PlayerRun.h"

namespace lmtest {
namespace {

namespace fs = std::filesystem;

std::string buildDir() {
  const char* env = std::getenv("LM_BINARY_DIR");
  if (env && *env) return env;
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? binaryDir() : self.parent_path().parent_path().string();
}

uint64_t fnv1a(const std::string& bytes) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

std::string hex(uint64_t v) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
  return buf;
}

// Enter every 20 steps from step 100; with `downs`, Down half-way between.
std::string keys(long until, bool downs) {
  std::string list;
  for (long s = 100; s < until; s += 20) {
    list += (list.empty() ? "" : ",") + std::to_string(s) + ":enter";
    if (downs) list += "," + std::to_string(s + 10) + ":down";
  }
  return list;
}

struct Pins {
  std::string trace, audio, frames;
};

class UnchangedRun : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string demo = buildDir() + "/demo-data";
    ASSERT_TRUE(fileExists(demo + "/kirune.ini")) << "demo-data is not built (target demo_data)";
    data = dir.path() + "/data";
    fs::copy(demo, data, fs::copy_options::recursive);
    PlayerResult built = runProgram(buildDir() + "/tools/lmtool",
                                    "story build '" + sourceDir() + "/tests/e2e/data/pinned.story' '" + data + "'",
                                    dir.path());
    ASSERT_EQ(built.code, 0) << built.err;
  }

  Pins play(long steps, bool downs) {
    const std::string out = dir.path();
    PlayerResult r = runPlayer("--data '" + data + "' --headless --steps " + std::to_string(steps) + " --input " +
                                   keys(steps, downs) + " --trace '" + out + "/t.txt' --audio-out '" + out +
                                   "/a.wav' --frame-hashes '" + out + "/f.txt'",
                               out);
    EXPECT_EQ(r.code, 0) << r.err;
    return {hex(fnv1a(slurp(out + "/t.txt"))), hex(fnv1a(slurp(out + "/a.wav"))), hex(fnv1a(slurp(out + "/f.txt")))};
  }

  ScratchDir dir;
  std::string data;
};

TEST_F(UnchangedRun, FirstChoicesEverywhere) {
  Pins p = play(7000, false);
  EXPECT_EQ(p.trace, "d03bdf5683ad9138");
  EXPECT_EQ(p.audio, "b431e67c152836f6");
  EXPECT_EQ(p.frames, "f7d556d841a9e916");
}

TEST_F(UnchangedRun, DownBetweenEveryDecide) {
  Pins p = play(7000, true);
  EXPECT_EQ(p.trace, "327fe69a8ab256d7");
  EXPECT_EQ(p.audio, "ab261bed1375ed96");
  EXPECT_EQ(p.frames, "17279f70f45027ff");
}

}  // namespace
}  // namespace lmtest
