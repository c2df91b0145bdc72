// Kept files (saves, read marks, settings, the story's INI and data files):
// only a regular file is read or written; a FIFO, device or link under the
// name is refused at once with one line naming it, and never waited on.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/FileSystem.h"
#include "platform/KeptFile.h"
#include "platform/OutputFile.h"
#include "support/TestSupport.h"

namespace {

using lmtest::Bytes;
using platform::Links;

// A FIFO that waits would hang the test: the alarm ends it instead.
class KeptFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ::alarm(20); }
  void TearDown() override { ::alarm(0); }
  lmtest::ScratchDir dir;
};

TEST_F(KeptFileTest, OnlyARegularFileOpensForReading) {
  lmtest::writeText("plain", "abc");
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  ASSERT_EQ(::symlink("plain", "link"), 0);
  lmtest::makeDirs("folder");
  std::string error;

  std::FILE* fp = platform::openKeptFile("plain", error, Links::Refuse);
  ASSERT_NE(fp, nullptr) << error;
  EXPECT_EQ(std::fgetc(fp), 'a');
  std::fclose(fp);

  const struct {
    const char* path;
    Links links;
    const char* said;
  } refused[] = {
      {"pipe", Links::Follow, "will not read 'pipe': it is a FIFO, not a regular file"},
      {"link", Links::Refuse, "will not read 'link': it is a symbolic link, not a regular file"},
      {"folder", Links::Follow, "will not read 'folder': it is a folder, not a regular file"},
      {"/dev/null", Links::Follow, "will not read '/dev/null': it is a device, not a regular file"},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(platform::openKeptFile(r.path, error, r.links), nullptr) << r.path;
    EXPECT_EQ(error, r.said);
  }
  // A story's data folder may be built from links.
  fp = platform::openKeptFile("link", error, Links::Follow);
  ASSERT_NE(fp, nullptr) << error;
  std::fclose(fp);
  EXPECT_EQ(platform::openKeptFile("missing", error), nullptr);
  EXPECT_EQ(error, "") << "a missing file is no error";
}

TEST_F(KeptFileTest, ReadingIsBoundedAndDataFilesAreNeverWaitedOn) {
  lmtest::writeText("five", "12345");
  std::vector<unsigned char> got;
  std::string error;
  EXPECT_TRUE(platform::readKeptFile("five", 5, got, error));
  EXPECT_EQ(std::string(got.begin(), got.end()), "12345");
  EXPECT_FALSE(platform::readKeptFile("five", 4, got, error));
  EXPECT_EQ(error, "will not read 'five': larger than 4 bytes");
  EXPECT_TRUE(got.empty());

  ASSERT_EQ(::mkfifo("EVENT.BIN", 0600), 0);
  EXPECT_EQ(platform::openFile("EVENT.BIN", "rb"), nullptr);
  EXPECT_EQ(platform::openFile("five", "wb"), nullptr) << "data files are only read";
  EXPECT_TRUE(platform::isReadableKeptFile("five", error));
  EXPECT_FALSE(platform::isReadableKeptFile("EVENT.BIN", error));
  EXPECT_NE(error.find("FIFO"), std::string::npos);
}

TEST_F(KeptFileTest, WritingReplacesOnlyAMissingNameOrARegularFile) {
  std::string error;
  ASSERT_TRUE(platform::writeKeptFile("new.sav", Bytes{1, 2}, error)) << error;
  EXPECT_EQ(lmtest::readFile("new.sav"), (Bytes{1, 2}));
  ASSERT_TRUE(platform::writeKeptFile("new.sav", Bytes{3}, error)) << error;
  EXPECT_EQ(lmtest::readFile("new.sav"), (Bytes{3}));

  ASSERT_EQ(::mkfifo("quick.sav", 0600), 0);
  EXPECT_FALSE(platform::writeKeptFile("quick.sav", Bytes{1}, error));
  EXPECT_EQ(error, "will not write 'quick.sav': it is a FIFO, not a regular file");

  lmtest::writeText("victim", "mine");
  ASSERT_EQ(::symlink("victim", "read.dat"), 0);
  EXPECT_FALSE(platform::writeKeptFile("read.dat", Bytes{1}, error));
  EXPECT_NE(error.find("'read.dat': it exists and is a symbolic link"), std::string::npos) << error;
  const Bytes victim = lmtest::readFile("victim");
  EXPECT_EQ(std::string(victim.begin(), victim.end()), "mine") << "the link's target is left alone";

  EXPECT_FALSE(platform::writeKeptFile("-", Bytes{1}, error));
  EXPECT_NE(error.find("standard output"), std::string::npos) << error;
}

TEST_F(KeptFileTest, ARunChecksTheSettingsFileItWillWriteBeforeStarting) {
  std::string error;
  EXPECT_TRUE(platform::checkKeptOutput("absent.ini", error));
  EXPECT_TRUE(platform::checkKeptOutput("no/folder/yet.ini", error)) << "the folder is made when written";
  lmtest::writeText("settings.ini", "");
  EXPECT_TRUE(platform::checkKeptOutput("settings.ini", error));
  EXPECT_FALSE(platform::checkKeptOutput("-", error));
  ASSERT_EQ(::mkfifo("pipe.ini", 0600), 0);
  EXPECT_FALSE(platform::checkKeptOutput("pipe.ini", error));
  EXPECT_EQ(error, "will not write 'pipe.ini': it is a FIFO, not a regular file");
  EXPECT_FALSE(platform::checkKeptOutput("/dev/null", error));
}

}  // namespace

namespace {

// Temporaries left by a killed writer go at the next start once they are an
// hour old; a fresh one (another player writing now) and foreign names stay.
TEST_F(KeptFileTest, StaleTemporariesOfOurNamingAreRemoved) {
  namespace fs = std::filesystem;
  const char* names[] = {".quick.sav.0123456789abcdef.tmp", ".read.dat.fedcba9876543210.old",
                         ".quick.sav.0123456789abcdeg.tmp", "quick.sav.tmp", ".fresh.sav.0000000000000000.tmp"};
  for (const char* n : names) lmtest::writeText(n, "x");
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
  for (int i = 0; i < 4; ++i) fs::last_write_time(names[i], old);
  EXPECT_EQ(platform::removeStaleTemporaries(".", 3600), 2);
  EXPECT_FALSE(lmtest::fileExists(names[0]));
  EXPECT_FALSE(lmtest::fileExists(names[1]));
  for (int i = 2; i < 5; ++i) EXPECT_TRUE(lmtest::fileExists(names[i])) << names[i];
}

}  // namespace
