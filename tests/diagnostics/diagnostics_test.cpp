// The player's reports on its data: missing files (a bank tried in two
// directories), and --watch's change detection.
#include <gtest/gtest.h>


#include "diagnostics/DataWatch.h"
#include "diagnostics/MissingFiles.h"
#include "shell/FileUtils.h"
#include "support/TestSupport.h"

namespace lmtest {
namespace {

using diagnostics::DataWatch;
using diagnostics::MissingFiles;

TEST(MissingFiles, OneReportPerFileAndABankOnlyWhenBothDirectoriesFail) {
  MissingFiles m;
  std::vector<std::string> said;
  m.onMissing = [&](const diagnostics::MissingFile& f) {
    std::string dirs;
    for (const auto& d : f.dirs) dirs += "[" + d + "]";
    said.push_back(f.name + dirs);
  };
  m.attempt("ev\\E001.PF1", true);
  m.attempt("ev\\E009.PF1", false);
  m.attempt("ev\\E009.PF1", false);      // asked again: said once
  m.attempt(".\\KI101.PCM", false);      // SYSDIR fails ...
  m.attempt("voice\\KI101.PCM", true);   // ... PCMDIR has it
  m.attempt(".\\KI102.PCM", false);
  m.attempt("voice\\KI102.PCM", false);  // neither
  m.attempt(".\\SYS01.PCM", false);
  m.attempt("FONT.FON", false);          // the next attempt settles the bank
  EXPECT_EQ(said, (std::vector<std::string>{"E009.PF1[ev\\]", "KI102.PCM[.\\][voice\\]", "SYS01.PCM[.\\]",
                                            "FONT.FON[]"}));
  m.attempt(".\\KI103.PCM", false);
  EXPECT_EQ(said.size(), 4u) << "waits for the second directory";
  m.flush();
  EXPECT_EQ(said.back(), "KI103.PCM[.\\]");
}

TEST(MissingFiles, SeesThePlayersOwnOpens) {
  ScratchDir dir;
  writeText("kirune.ini", "[DOROVANKA]\nEVDIR=ev\\\n");
  MissingFiles m;
  MissingFiles::install(&m);
  FILE* f = myFopen(3, "E001.PF1", "rb");
  MissingFiles::install(nullptr);
  EXPECT_EQ(f, nullptr);
  ASSERT_EQ(m.missing().size(), 1u);
  EXPECT_EQ(m.missing()[0].name, "E001.PF1");
  EXPECT_EQ(m.missing()[0].dirs, (std::vector<std::string>{"ev\\"}));
}

TEST(DataWatch, AChangeCountsOnceItHasSettled) {
  std::string data = "a";
  int scans = 0;
  DataWatch w([&] { ++scans; return data; }, 10);
  EXPECT_EQ(scans, 1) << "the baseline";
  EXPECT_FALSE(w.poll(5)) << "not yet time to look";
  EXPECT_EQ(scans, 1);
  EXPECT_FALSE(w.poll(10));
  data = "b";
  EXPECT_FALSE(w.poll(20)) << "changing";
  data = "c";
  EXPECT_FALSE(w.poll(30)) << "still being written";
  EXPECT_TRUE(w.poll(40)) << "settled";
  EXPECT_FALSE(w.poll(50)) << "reported once";
  w.restarted();
  EXPECT_FALSE(w.poll(9));
  EXPECT_EQ(scans, 6);
  EXPECT_FALSE(w.poll(10));
  EXPECT_EQ(scans, 7);
}

TEST(DataWatch, TheStorysFilesNotWhatThePlayerWrites) {
  ScratchDir dir;
  makeDirs("ev");
  writeText("kirune.ini", "[DOROVANKA]\n");
  writeFile("ev/E001.PF1", {1, 2, 3});
  std::string before = DataWatch::scanDirectory(".");
  writeText("error.log", "");
  writeText("trace.txt", "1 start\n");
  EXPECT_EQ(DataWatch::scanDirectory("."), before);
  writeFile("ev/E001.PF1", {1, 2, 3, 4});
  std::string after = DataWatch::scanDirectory(".");
  EXPECT_NE(after, before) << "a rebuilt picture";
  writeFile("EVENT.BIN", {0});
  EXPECT_NE(DataWatch::scanDirectory("."), after) << "a new file";
}

}  // namespace
}  // namespace lmtest
