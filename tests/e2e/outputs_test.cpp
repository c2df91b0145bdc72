// The player's output files: refused before the run when they cannot or must
// not be written, streamed to standard output or a FIFO, never a fragment.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "PlayerRun.h"
#include "scenes/TestData.h"

namespace lmtest {
namespace {

class OutputsE2E : public ::testing::Test {
 protected:
  ScratchDir dir;
  void SetUp() override {
    writeScreenPictures();
    writeText("kirune.ini", "[DOROVANKA]\nSYSDIR=.\\\n");
  }
};

// The step at which a run that is refused up front would still be running.
const std::string kLongRun = "--headless --steps 200000 ";

TEST_F(OutputsE2E, DevicesLinksMissingFoldersAndSharedNamesAreRefusedBeforeTheRun) {
  writeText("victim.txt", "precious");
  ASSERT_EQ(::symlink("victim.txt", "link.txt"), 0);
  struct Case {
    std::string args, mentions;
  } cases[] = {
      {"--audio-out /dev/zero --trace t.txt", "--audio-out"},
      {"--trace link.txt --frame-hashes h.txt", "--trace"},
      {"--trace t.txt --shot 5:no/such/folder/x.png", "does not exist"},
      {"--trace t.txt --frame-hashes ./t.txt", "--trace and --frame-hashes"},
      {"--shot 5:s.png --shot 9:s.png", "--shot 5 and --shot 9"},
  };
  for (const Case& c : cases) {
    PlayerResult r = runPlayer(kLongRun + c.args, dir.path());
    EXPECT_EQ(r.code, 1) << c.args;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << c.args << ": " << r.err;
    // Nothing ran: not even the error log or a first trace line exists.
    EXPECT_FALSE(fileExists("t.txt")) << c.args;
    EXPECT_FALSE(fileExists("error.log")) << c.args;
  }
  struct stat st;
  ASSERT_EQ(::lstat("/dev/zero", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  ASSERT_EQ(::lstat("link.txt", &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  Bytes kept = readFile("victim.txt");
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "precious");
}

TEST_F(OutputsE2E, StandardOutputTakesATrace) {
  PlayerResult r = runPlayer("--headless --steps 3 --trace -", dir.path());
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "1 start\n2 opening\n3 opening\n");
}

TEST_F(OutputsE2E, AFifoTakesTheRecordingAsAStream) {
  const std::string args = "--headless --steps 100 --input 50:enter --audio-out ";
  ASSERT_EQ(runPlayer(args + "file.wav", dir.path()).code, 0);
  ASSERT_EQ(::mkfifo("rec.pipe", 0600), 0);
  Bytes streamed;
  std::thread reader([&] {
    std::FILE* in = std::fopen((dir.path() + "/rec.pipe").c_str(), "rb");
    if (!in) return;
    int c;
    while ((c = std::fgetc(in)) != EOF) streamed.push_back(static_cast<unsigned char>(c));
    std::fclose(in);
  });
  PlayerResult r = runPlayer(args + "rec.pipe", dir.path());
  reader.join();
  ASSERT_EQ(r.code, 0) << r.err;
  Bytes file = readFile("file.wav");
  ASSERT_EQ(streamed.size(), file.size());
  // Same sound; the stream's header cannot know the length.
  EXPECT_TRUE(std::equal(file.begin() + 44, file.end(), streamed.begin() + 44));
  EXPECT_EQ(streamed[40], 0xFF);
  EXPECT_EQ(streamed[43], 0xFF);
  struct stat st;
  ASSERT_EQ(::lstat("rec.pipe", &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
}  // namespace lmtest

#include <zlib.h>

namespace lmtest {
namespace {

void putBe32(Bytes& b, uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void chunk(Bytes& png, const char* type, const Bytes& body) {
  putBe32(png, static_cast<uint32_t>(body.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  png.insert(png.end(), typed.begin(), typed.end());
  putBe32(png, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

// A PNG of a few bytes whose header claims width x height RGBA pixels.
Bytes claimingPng(uint32_t width, uint32_t height) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  putBe32(ihdr, width);
  putBe32(ihdr, height);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  chunk(png, "IHDR", ihdr);
  unsigned char raw[64] = {};
  Bytes z(128);
  uLongf zlen = z.size();
  compress(z.data(), &zlen, raw, sizeof raw);
  z.resize(zlen);
  chunk(png, "IDAT", z);
  chunk(png, "IEND", {});
  return png;
}

class ToolOutputsE2E : public ::testing::Test {
 protected:
  ScratchDir dir;
};

TEST_F(ToolOutputsE2E, AHugePictureClaimIsRefusedBeforeItTakesMemory) {
  writeFile("huge.png", claimingPng(20000, 20000));
  ASSERT_LT(readFile("huge.png").size(), 200u);
  Measured m = runMeasured({toolPath(), "pf1", "encode", "HUGE.PF1", "huge.png"}, dir.path(), peakToolPath());
  EXPECT_EQ(m.code, 1);
  EXPECT_NE(slurp(".stderr").find("20000x20000"), std::string::npos) << slurp(".stderr");
  EXPECT_LT(m.peakKb, 100 * 1024) << "peak memory of the refused encode";
  EXPECT_FALSE(fileExists("HUGE.PF1"));
}

TEST_F(ToolOutputsE2E, ADumpNeverWritesThroughALink) {
  writeText("story.txt", "character 1 \"A\"\nchart a\n  say 1 \"hello\"\n");
  PlayerResult built = runProgram(toolPath(), "story build story.txt data --allow-errors", dir.path());
  ASSERT_EQ(built.code, 0) << built.err;
  writeText("victim.txt", "precious");
  ASSERT_EQ(::symlink("victim.txt", "dump.txt"), 0);
  PlayerResult r = runProgram(toolPath(), "story dump data -o dump.txt", dir.path());
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("symbolic link"), std::string::npos) << r.err;
  Bytes kept = readFile("victim.txt");
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "precious");
  r = runProgram(toolPath(), "story dump data -o real.txt", dir.path());
  ASSERT_EQ(r.code, 0) << r.err;
  Bytes dumped = readFile("real.txt");
  EXPECT_NE(std::string(dumped.begin(), dumped.end()).find("hello"), std::string::npos);
}

}  // namespace
}  // namespace lmtest
