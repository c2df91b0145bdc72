// error.log is made empty at start-up: never through a link, never by
// waiting on a FIFO, never by opening a device.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/ErrorLog.h"
#include "support/TestSupport.h"

namespace {

class ErrorLogTest : public ::testing::Test {
 protected:
  lmtest::ScratchDir dir;
};

TEST_F(ErrorLogTest, ARegularFileIsCreatedOrEmptied) {
  std::FILE* fp = platform::openErrorLog("error.log");
  ASSERT_NE(fp, nullptr);
  std::fclose(fp);
  EXPECT_TRUE(lmtest::fileExists("error.log"));
  lmtest::writeText("error.log", "from an earlier run");
  fp = platform::openErrorLog("error.log");
  ASSERT_NE(fp, nullptr);
  std::fclose(fp);
  EXPECT_TRUE(lmtest::readFile("error.log").empty());
}

TEST_F(ErrorLogTest, ALinkNamedErrorLogKeepsItsTarget) {
  lmtest::writeText("victim.txt", "precious");
  ASSERT_EQ(::symlink("victim.txt", "error.log"), 0);
  EXPECT_EQ(platform::openErrorLog("error.log"), nullptr);
  lmtest::Bytes kept = lmtest::readFile("victim.txt");
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "precious");
  struct stat st;
  ASSERT_EQ(::lstat("error.log", &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  // A dangling link creates nothing at its target either.
  ASSERT_EQ(::unlink("error.log"), 0);
  ASSERT_EQ(::symlink("made.txt", "error.log"), 0);
  EXPECT_EQ(platform::openErrorLog("error.log"), nullptr);
  EXPECT_FALSE(lmtest::fileExists("made.txt"));
}

TEST_F(ErrorLogTest, AFifoNamedErrorLogNeitherBlocksNorChanges) {
  // Nobody reads this FIFO: an open for writing would wait forever.
  ASSERT_EQ(::mkfifo("error.log", 0600), 0);
  EXPECT_EQ(platform::openErrorLog("error.log"), nullptr);
  struct stat st;
  ASSERT_EQ(::lstat("error.log", &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(ErrorLogTest, AFolderOrADeviceIsLeftAlone) {
  lmtest::makeDirs("error.log");
  EXPECT_EQ(platform::openErrorLog("error.log"), nullptr);
  EXPECT_EQ(platform::openErrorLog("/dev/zero"), nullptr);
  EXPECT_EQ(platform::openErrorLog(nullptr), nullptr);
}

}  // namespace
