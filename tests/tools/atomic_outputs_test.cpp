// lmtool's outputs: a story's three files change together or not at all, and
// pictures and sounds are measured from their headers before any memory is
// taken for them.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <dirent.h>
#include <set>
#include <string>
#include <vector>

#include "platform/OutputFile.h"
#include "platform/Wav.h"
#include "support/TestSupport.h"
#include "tools/author/bank_audio.h"
#include "tools/author/story_compiler.h"

namespace {

std::set<std::string> listDir(const std::string& dir) {
  std::set<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.insert(n);
    }
    ::closedir(d);
  }
  return names;
}

const char* const kScript1 = "rootdir data\ncharacter 1 \"A\"\nchart a\n  say 1 \"one\"\n";
const char* const kScript2 =
    "rootdir data\ncharacter 1 \"Bee\"\ncharacter 2 \"C\"\nchart a -> b\n  say 1 \"two\"\nchart b\n  say 2 \"x\"\n";

bool failAtTheStartFile(size_t n) { return n != 2; }

class StorySetTest : public ::testing::Test {
 protected:
  lmtest::ScratchDir dir;
  void TearDown() override { platform::OutputSet::setRenameHook(nullptr); }
};

TEST_F(StorySetTest, AFailedBuildReplacesNoneOfTheThreeFiles) {
  std::string error;
  ASSERT_TRUE(buildStory(kScript1, "out", &error)) << error;
  const lmtest::Bytes ini = lmtest::readFile("out/kirune.ini"), event = lmtest::readFile("out/data/EVENT.BIN"),
                      start = lmtest::readFile("out/data/ASTARTUP.BIN");

  // The last of the three cannot be put in place (a full disk, say).
  platform::OutputSet::setRenameHook(failAtTheStartFile);
  EXPECT_FALSE(buildStory(kScript2, "out", &error));
  EXPECT_NE(error.find("ASTARTUP.BIN"), std::string::npos) << error;
  EXPECT_EQ(lmtest::readFile("out/kirune.ini"), ini);
  EXPECT_EQ(lmtest::readFile("out/data/EVENT.BIN"), event);
  EXPECT_EQ(lmtest::readFile("out/data/ASTARTUP.BIN"), start);
  EXPECT_EQ(listDir("out"), (std::set<std::string>{"kirune.ini", "data"}));
  EXPECT_EQ(listDir("out/data"), (std::set<std::string>{"EVENT.BIN", "ASTARTUP.BIN"}));

  // One target that is not a file stops the build before anything changes.
  platform::OutputSet::setRenameHook(nullptr);
  ASSERT_EQ(::unlink("out/data/ASTARTUP.BIN"), 0);
  lmtest::makeDirs("out/data/ASTARTUP.BIN");
  EXPECT_FALSE(buildStory(kScript2, "out", &error));
  EXPECT_EQ(lmtest::readFile("out/kirune.ini"), ini);
  EXPECT_EQ(lmtest::readFile("out/data/EVENT.BIN"), event);

  ASSERT_EQ(::rmdir("out/data/ASTARTUP.BIN"), 0);
  ASSERT_TRUE(buildStory(kScript2, "out", &error)) << error;
  EXPECT_NE(lmtest::readFile("out/kirune.ini"), ini);
  EXPECT_NE(lmtest::readFile("out/data/EVENT.BIN"), event);
  EXPECT_TRUE(lmtest::fileExists("out/data/ASTARTUP.BIN"));
}

// A 16-bit mono WAV whose header claims `frames` frames, the data a hole.
void sparseWav(const std::string& path, int rate, uint64_t frames) {
  platform::WavWriter w;
  ASSERT_TRUE(w.open(path, rate, 1, 16));
  int16_t s[2] = {100, -100};
  ASSERT_TRUE(w.write(s, sizeof s));
  ASSERT_TRUE(w.close());
  lmtest::Bytes b = lmtest::readFile(path);
  const uint64_t data = frames * 2;
  for (int i = 0; i < 4; ++i) {
    b[4 + i] = static_cast<unsigned char>((36 + data) >> (8 * i));
    b[40 + i] = static_cast<unsigned char>(data >> (8 * i));
  }
  lmtest::writeFile(path, b);
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(44 + data)), 0);
}

TEST(BankSizes, ClipsTooLongOrRatesTooFarAreRefusedFromTheHeader) {
  lmtest::ScratchDir dir;
  author::Clip clip;
  std::string error;
  sparseWav("long.wav", 11025, (uint64_t{1} << 26) + 1);
  EXPECT_FALSE(author::readClip("long.wav", 11025, clip, error));
  EXPECT_NE(error.find("too long"), std::string::npos) << error;
  // Short, but resampling would make it too long.
  sparseWav("stretch.wav", 1000, 10'000'000);
  EXPECT_FALSE(author::readClip("stretch.wav", 11025, clip, error));
  EXPECT_NE(error.find("too long"), std::string::npos) << error;
  sparseWav("slow.wav", 1, 200000);
  EXPECT_FALSE(author::readClip("slow.wav", 11025, clip, error));
  EXPECT_NE(error.find("too far"), std::string::npos) << error;
  // What fits still reads, across chunk boundaries.
  sparseWav("ok.wav", 11025, 70000);
  ASSERT_TRUE(author::readClip("ok.wav", 11025, clip, error)) << error;
  ASSERT_EQ(clip.size(), 70000u);
  EXPECT_EQ(clip[0], 0);  // 100 / 256 rounds to 0
  EXPECT_EQ(clip[69999], 0);
}

}  // namespace
