#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "shell/FileUtils.h"
#include "support/TestSupport.h"

namespace {

std::string contents(FILE* fp) {
  std::string s;
  if (!fp) return s;
  int c;
  while ((c = std::fgetc(fp)) != EOF) s += static_cast<char>(c);
  std::fclose(fp);
  return s;
}

class FileUtilsTest : public ::testing::Test {
 protected:
  lmtest::ScratchDir dir;
};

TEST_F(FileUtilsTest, WithoutIniEverythingIsInTheWorkingDirectory) {
  lmtest::writeText("TITLE00.PF1", "title");
  for (int type = 0; type < 5; ++type) EXPECT_EQ(contents(myFopen(type, "TITLE00.PF1", "rb")), "title") << type;
}

TEST_F(FileUtilsTest, PrefixAndNameAreJoinedAsTheyStand) {
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nSYSDIR=DATA\nPCMDIR=pcm\\\nEVDIR=.\\ev\\\n");
  lmtest::makeDirs("pcm");
  lmtest::makeDirs("ev");
  lmtest::writeText("DATAFONT.FON", "joined");
  lmtest::writeText("pcm/SYS01.PCM", "pcm");
  lmtest::writeText("ev/E001.PF1", "ev");
  EXPECT_EQ(contents(myFopen(0, "FONT.FON", "rb")), "joined");
  EXPECT_EQ(contents(myFopen(1, "SYS01.PCM", "rb")), "pcm");
  EXPECT_EQ(contents(myFopen(3, "E001.PF1", "rb")), "ev");
}

TEST_F(FileUtilsTest, DirectoriesAreReadOnceByTheFirstCall) {
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nSYSDIR=a\\\n");
  lmtest::makeDirs("a");
  lmtest::makeDirs("b");
  lmtest::writeText("a/X", "a");
  lmtest::writeText("b/X", "b");
  EXPECT_EQ(contents(myFopen(0, "X", "rb")), "a");
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nSYSDIR=b\\\n");
  EXPECT_EQ(contents(myFopen(0, "X", "rb")), "a");
}

TEST_F(FileUtilsTest, SecondDirectoryIsASeparateCall) {
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nSYSDIR=S\\\nPCMDIR=P\\\n");
  lmtest::makeDirs("S");
  lmtest::makeDirs("P");
  lmtest::writeText("P/ONLYP.PCM", "p");
  lmtest::writeText("P/BOTH.PCM", "p");
  lmtest::writeText("S/BOTH.PCM", "s");
  auto open2 = [](const char* n) {
    FILE* fp = myFopen(0, n, "rb");
    return fp ? fp : myFopen(1, n, "rb");
  };
  EXPECT_EQ(contents(open2("ONLYP.PCM")), "p");
  EXPECT_EQ(contents(open2("BOTH.PCM")), "s");
}

TEST_F(FileUtilsTest, LongDirectoryValuesAreCutTo1023) {
  std::string d1023(1022, 'd');
  d1023 += '\\';
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nSYSDIR=" + d1023 + "\nPCMDIR=" + std::string(1100, 'e') + "\n");
  std::vector<std::string> seen;
  static std::vector<std::string>* sink;
  sink = &seen;
  setOpenObserver([](const char* name, bool) { sink->push_back(name); });
  EXPECT_EQ(myFopen(0, "N", "rb"), nullptr);
  EXPECT_EQ(myFopen(1, "N", "rb"), nullptr);
  setOpenObserver(nullptr);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], d1023 + "N");
  EXPECT_EQ(seen[1], std::string(1023, 'e') + "N");
}

TEST_F(FileUtilsTest, BadTypesFailSafelyAndStillCount) {
  openCheck();
  EXPECT_EQ(myFopen(5, "X", "rb"), nullptr);
  EXPECT_EQ(myFopen(-1, "X", "rb"), nullptr);
  EXPECT_EQ(myFopen(0, nullptr, "rb"), nullptr);
  EXPECT_EQ(openCheck(), 1);
}

TEST_F(FileUtilsTest, OpenCheckReportsEveryAttemptOnce) {
  openCheck();
  EXPECT_EQ(openCheck(), 0);
  lmtest::writeText("A", "a");
  EXPECT_EQ(myFopen(0, "MISSING", "rb"), nullptr);
  std::fclose(myFopen(0, "A", "rb"));
  EXPECT_EQ(openCheck(), 1);
  EXPECT_EQ(openCheck(), 0);
}

TEST_F(FileUtilsTest, FsizeKeepsThePosition) {
  lmtest::writeText("F", "0123456789");
  FILE* fp = myFopen(2, "F", "rb");
  ASSERT_NE(fp, nullptr);
  std::fseek(fp, 4, SEEK_SET);
  EXPECT_EQ(fsize(fp), 10);
  EXPECT_EQ(std::ftell(fp), 4);
  EXPECT_EQ(std::fgetc(fp), '4');
  std::fclose(fp);
}

TEST_F(FileUtilsTest, BackslashesAreSeparatorsButNotInsideShiftJis) {
  EXPECT_EQ(platform::toHostPath(".\\data\\X.PF1"), "./data/X.PF1");
  // 0x95 0x5C is one Shift-JIS character: its 0x5C is not a separator.
  EXPECT_EQ(platform::toHostPath("d\\\x95\x5C\\f"), "d/\x95\x5C/f");
  lmtest::makeDirs("sub/\x95\x5C");
  lmtest::writeText("sub/\x95\x5C/F.BIN", "sjis");
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nROOTDIR=.\\sub\\\x95\x5C\\\n");
  EXPECT_EQ(contents(myFopen(2, "F.BIN", "rb")), "sjis");
}

TEST_F(FileUtilsTest, NamesAreFoundWithoutRegardToCaseExactMatchFirst) {
  lmtest::makeDirs("Data/Pics");
  lmtest::writeText("Data/Pics/title00.pf1", "lower");
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nSYSDIR=DATA\\PICS\\\n");
  EXPECT_EQ(contents(myFopen(0, "TITLE00.PF1", "rb")), "lower");
  lmtest::writeText("Data/Pics/TITLE00.PF1", "exact");
  EXPECT_EQ(contents(myFopen(0, "TITLE00.PF1", "rb")), "exact");
  EXPECT_EQ(contents(myFopen(0, "title00.pf1", "rb")), "lower");
  EXPECT_EQ(myFopen(0, "NOPE.PF1", "rb"), nullptr);
}

}  // namespace
