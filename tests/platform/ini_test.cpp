#include <gtest/gtest.h>

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
                    "big=0xFFFFFFFF\n");
  auto i = [](const char* k) { return getProfileInt("DOROVANKA", k, -99, "t.ini"); };
  EXPECT_EQ(i("dec"), 1234);
  EXPECT_EQ(i("neg"), -17);
  EXPECT_EQ(i("pos"), 5);
  EXPECT_EQ(i("hex"), 31);
  EXPECT_EQ(i("HEXU"), 255);
  EXPECT_EQ(i("nodigits"), 0);
  EXPECT_EQ(i("empty"), -99);
  EXPECT_EQ(i("missing"), -99);
  EXPECT_EQ(i("wrap"), 1);
  EXPECT_EQ(i("big"), -1);
}

TEST_F(IniTest, ZeroSizeBufferCopiesNothing) {
  char buf[2] = {'x', 'y'};
  EXPECT_EQ(getProfileString("DOROVANKA", "A", "abc", buf, 0, "t.ini"), 0);
  EXPECT_EQ(buf[0], 'x');
  EXPECT_EQ(getProfileString("DOROVANKA", "A", "abc", buf, 1, "t.ini"), 0);
  EXPECT_EQ(buf[0], '\0');
}

}  // namespace
