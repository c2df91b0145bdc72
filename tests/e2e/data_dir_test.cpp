// Where the player looks for its story when no --data is given: here, the
// build tree's demo beside the program, or the installed demo under the prefix.
#include <gtest/gtest.h>

#include "app/Run.h"
#include "support/TestSupport.h"

namespace {

using lmtest::makeDirs;
using lmtest::writeText;

TEST(DefaultDataDir, HereWinsWhenItHoldsTheIni) {
  lmtest::ScratchDir dir;
  makeDirs("prefix/bin");
  makeDirs("prefix/bin/demo-data");
  writeText("prefix/bin/demo-data/kirune.ini", "[DOROVANKA]\n");
  writeText("kirune.ini", "[DOROVANKA]\n");
  EXPECT_EQ(app::defaultDataDir(dir.path() + "/prefix/bin"), ".");
}

TEST(DefaultDataDir, BuildTreeDemoBesideTheProgramComesBeforeTheInstalledOne) {
  lmtest::ScratchDir dir;
  makeDirs("p/bin/demo-data");
  makeDirs("p/share/lmplayer/demo");
  writeText("p/bin/demo-data/kirune.ini", "[DOROVANKA]\n");
  writeText("p/share/lmplayer/demo/kirune.ini", "[DOROVANKA]\n");
  EXPECT_EQ(app::defaultDataDir(dir.path() + "/p/bin"), dir.path() + "/p/bin/demo-data");
}

TEST(DefaultDataDir, InstalledDemoIsFoundRelativeToTheProgramUnderAnyPrefix) {
  lmtest::ScratchDir dir;
  for (std::string prefix : {"usr", "opt/some where/lm"}) {
    makeDirs(prefix + "/bin");
    makeDirs(prefix + "/share/lmplayer/demo");
    writeText(prefix + "/share/lmplayer/demo/kirune.ini", "[DOROVANKA]\n");
    EXPECT_EQ(app::defaultDataDir(dir.path() + "/" + prefix + "/bin"),
              dir.path() + "/" + prefix + "/share/lmplayer/demo");
  }
}

TEST(DefaultDataDir, FoldersWithoutAnIniAreNotData) {
  lmtest::ScratchDir dir;
  makeDirs("p/bin/demo-data");
  makeDirs("p/share/lmplayer/demo");
  EXPECT_EQ(app::defaultDataDir(dir.path() + "/p/bin"), "");
  EXPECT_EQ(app::defaultDataDir(""), "");
}

}  // namespace
