#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/Ini.h"
#include "support/TestSupport.h"

using platform::getProfileInt;
using platform::getProfileString;

namespace {

std::string get(const char* key, const char* def = "DEF", int size = 1024, const char* section = "DOROVANKA") {
  std::string buf(static_cast<size_t>(size > 0 ? size : 1), '\xAA');
  getProfileString(section, key, def, buf.data(), size, "t.ini");
  return std::string(buf.c_str());
}

class IniTest : public ::testing::Test {
 protected:
  lmtest::ScratchDir dir;
};

TEST_F(IniTest, KeysAndSectionsMatchWithoutCaseAndFirstWins) {
  lmtest::writeText("t.ini",
                    "[other]\nsysdir=wrong\n"
                    "[ dorovanka ]\n"
                    "SysDir = data\\ \n"
                    "sysdir=second\n"
                    "[DOROVANKA]\nEVDIR=from-second-section\n");
  EXPECT_EQ(get("SYSDIR"), "data\\");
  EXPECT_EQ(get("sysdir"), "data\\");
  // Only the first section of a name is searched.
  EXPECT_EQ(get("EVDIR"), "DEF");
  EXPECT_EQ(get("SYSDIR", "DEF", 1024, "Other"), "wrong");
}

TEST_F(IniTest, CommentsQuotesAndLinesWithoutEquals) {
  lmtest::writeText("t.ini",
                    "[DOROVANKA]\n"
                    "; SYSDIR=commented\n"
                    "   ;ROOTDIR=also commented\n"
                    "a=diet ;x\n"
                    "q=\"  quoted \"\n"
                    "s='single'\n"
                    "m=\"mismatched'\n"
                    "justtext\n"
                    "e=\n");
  EXPECT_EQ(get("SYSDIR"), "DEF");
  EXPECT_EQ(get("ROOTDIR"), "DEF");
  EXPECT_EQ(get("a"), "diet ;x");
  EXPECT_EQ(get("q"), "  quoted ");
  EXPECT_EQ(get("s"), "single");
  EXPECT_EQ(get("m"), "\"mismatched'");
  EXPECT_EQ(get("justtext"), "DEF");
  EXPECT_EQ(get("e"), "");
}

TEST_F(IniTest, CrlfAndMissingFile) {
  lmtest::writeText("t.ini", "[DOROVANKA]\r\nSKIP=1\r\nSYSPCM=SYS02.PCM\r\n");
  EXPECT_EQ(get("SYSPCM"), "SYS02.PCM");
  EXPECT_EQ(getProfileInt("DOROVANKA", "SKIP", 7, "t.ini"), 1);
  char buf[16];
  EXPECT_EQ(getProfileString("DOROVANKA", "SYSPCM", "SYS01.PCM", buf, sizeof buf, "missing.ini"), 9);
  EXPECT_STREQ(buf, "SYS01.PCM");
  EXPECT_EQ(getProfileInt("DOROVANKA", "SKIP", 7, "missing.ini"), 7);
}

TEST_F(IniTest, LongValuesAreCutToTheBuffer) {
  std::string v1023(1023, 'd'), v2000(2000, 'e');
  lmtest::writeText("t.ini", "[DOROVANKA]\nA=" + v1023 + "\nB=" + v2000 + "\n");
  EXPECT_EQ(get("A"), v1023);
  EXPECT_EQ(get("B"), std::string(1023, 'e'));
  EXPECT_EQ(get("B", "DEF", 4), "eee");
  // The default is cut the same way.
  EXPECT_EQ(get("none", "abcdef", 3), "ab");
}

TEST_F(IniTest, ShiftJisBytesAreKeptAndNotCaseFolded) {
  // 0x83 0x41 is a katakana whose trail byte is 'A'; 0x83 0x61 must not match it.
  lmtest::writeText("t.ini", "[DOROVANKA]\nK\x83\x41=sjis\nN=\x95\x5C\x8E\xA6\n");
  EXPECT_EQ(get("K\x83\x41"), "sjis");
  EXPECT_EQ(get("K\x83\x61"), "DEF");
  EXPECT_EQ(get("k\x83\x41"), "sjis");
  EXPECT_EQ(get("N"), "\x95\x5C\x8E\xA6");
}

// Integers are decimal only: "0x1F" is the digit 0 and then junk.
TEST_F(IniTest, IntegersParseLikeTheWindowsReader) {
  lmtest::writeText("t.ini",
                    "[DOROVANKA]\n"
                    "dec=  1234abc\n"
                    "neg=-17\n"
                    "pos=+5\n"
                    "hex=0x1F\n"
                    "HEXU=0XfF\n"
                    "nodigits=abc\n"
                    "empty=\n"
                    "wrap=4294967297\n"
                    "big=0xFFFFFFFF\n"
                    "max=4294967295\n"
                    "zeros=007\n");
  auto i = [](const char* k) { return getProfileInt("DOROVANKA", k, -99, "t.ini"); };
  EXPECT_EQ(i("dec"), 1234);
  EXPECT_EQ(i("neg"), -17);
  EXPECT_EQ(i("pos"), 5);
  EXPECT_EQ(i("hex"), 0);
  EXPECT_EQ(i("HEXU"), 0);
  EXPECT_EQ(i("nodigits"), 0);
  EXPECT_EQ(i("empty"), -99);
  EXPECT_EQ(i("missing"), -99);
  EXPECT_EQ(i("wrap"), 1);
  EXPECT_EQ(i("big"), 0);
  EXPECT_EQ(i("max"), -1);
  EXPECT_EQ(i("zeros"), 7);
}

TEST_F(IniTest, ZeroSizeBufferCopiesNothing) {
  char buf[2] = {'x', 'y'};
  EXPECT_EQ(getProfileString("DOROVANKA", "A", "abc", buf, 0, "t.ini"), 0);
  EXPECT_EQ(buf[0], 'x');
  EXPECT_EQ(getProfileString("DOROVANKA", "A", "abc", buf, 1, "t.ini"), 0);
  EXPECT_EQ(buf[0], '\0');
}

}  // namespace

namespace {

// Moves a file's times back, as if it had been written long ago.
void age(const char* path, long seconds) {
  struct stat st;
  ASSERT_EQ(::stat(path, &st), 0);
  struct timespec times[2] = {{st.st_mtim.tv_sec - seconds, 0}, {st.st_mtim.tv_sec - seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path, times, 0), 0);
}

TEST_F(IniTest, TheFileIsReadOnceUntilItChanges) {
  lmtest::writeText("t.ini", "[DOROVANKA]\nA=1\nB=two\n");
  age("t.ini", 100);
  const unsigned long before = platform::iniFileReads();
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(getProfileInt("DOROVANKA", "A", 0, "t.ini"), 1);
    EXPECT_EQ(get("B"), "two");
  }
  EXPECT_EQ(platform::iniFileReads() - before, 1u);
  // Another size: read again.
  lmtest::writeText("t.ini", "[DOROVANKA]\nA=22\nB=two\n");
  age("t.ini", 90);
  EXPECT_EQ(getProfileInt("DOROVANKA", "A", 0, "t.ini"), 22);
  // The same size, another modification time: read again.
  lmtest::writeText("t.ini", "[DOROVANKA]\nA=33\nB=two\n");
  age("t.ini", 80);
  EXPECT_EQ(getProfileInt("DOROVANKA", "A", 0, "t.ini"), 33);
  EXPECT_EQ(platform::iniFileReads() - before, 3u);
  // Removed: defaults.
  ASSERT_EQ(::unlink("t.ini"), 0);
  EXPECT_EQ(getProfileInt("DOROVANKA", "A", -5, "t.ini"), -5);
}

TEST_F(IniTest, AFileJustWrittenIsReadAgainUntilItSettles) {
  // Two writes within one tick of the file clock may leave the same size and
  // time: a fresh file is never trusted from the cache.
  lmtest::writeText("t.ini", "[DOROVANKA]\nA=1\n");
  EXPECT_EQ(getProfileInt("DOROVANKA", "A", 0, "t.ini"), 1);
  lmtest::writeText("t.ini", "[DOROVANKA]\nA=2\n");
  EXPECT_EQ(getProfileInt("DOROVANKA", "A", 0, "t.ini"), 2);
}

TEST_F(IniTest, OnlyARegularFileIsRead) {
  // A FIFO nobody writes to would block a reader; it reads as missing.
  ASSERT_EQ(::mkfifo("fifo.ini", 0600), 0);
  EXPECT_EQ(getProfileInt("DOROVANKA", "A", 7, "fifo.ini"), 7);
  // A link to an endless device reads as missing; a link to a file is read.
  ASSERT_EQ(::symlink("/dev/zero", "zero.ini"), 0);
  EXPECT_EQ(getProfileInt("DOROVANKA", "A", 8, "zero.ini"), 8);
  lmtest::writeText("real.ini", "[DOROVANKA]\nA=3\n");
  ASSERT_EQ(::symlink("real.ini", "link.ini"), 0);
  EXPECT_EQ(getProfileInt("DOROVANKA", "A", 0, "link.ini"), 3);
  lmtest::makeDirs("dir.ini");
  EXPECT_EQ(getProfileInt("DOROVANKA", "A", 9, "dir.ini"), 9);
}

TEST_F(IniTest, AHugeFileIsReadOnlyUpToTheCapInWholeLines) {
  std::string body = "[DOROVANKA]\nFIRST=1\n";
  const std::string filler = "; " + std::string(60, 'x') + "\n";
  while (body.size() + filler.size() < platform::kMaxIniBytes - 100) body += filler;
  body += ";" + std::string(platform::kMaxIniBytes - 7 - body.size() - 2, 'y') + "\n";
  ASSERT_EQ(body.size(), platform::kMaxIniBytes - 7);
  // This line straddles the cap: it must not be read as "LAST=12".
  body += "LAST=123456789\nAFTER=5\n";
  lmtest::writeText("big.ini", body);
  EXPECT_EQ(getProfileInt("DOROVANKA", "FIRST", 0, "big.ini"), 1);
  EXPECT_EQ(getProfileInt("DOROVANKA", "LAST", -1, "big.ini"), -1);
  EXPECT_EQ(getProfileInt("DOROVANKA", "AFTER", -1, "big.ini"), -1);
}

}  // namespace
