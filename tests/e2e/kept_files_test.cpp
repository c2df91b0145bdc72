// The player's kept files through the real player: a FIFO where a save, the
// read marks, the settings or the story's kirune.ini would be never hangs it,
// a link there is never written through, and each refusal is one line naming
// the file. Every run is under `timeout`: a hang fails instead of waiting.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "PlayerRun.h"
#include "tools/MiniStory.h"

namespace lmtest {
namespace {

class KeptFiles : public ::testing::Test {
 protected:
  ScratchDir dir;

  // The mini story from chart 1: F9 tries a load at its first message, F5
  // saves there, and Enter reads on (read marks are kept at the end).
  PlayerResult play(const std::string& extra) {
    return runProgram("/usr/bin/timeout",
                      "30 '" + playerPath() + "' --headless --steps 400 --chart 1 --input 150:f9,170:f5,200:enter,260:enter " +
                          extra,
                      dir.path());
  }
  static size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
};

TEST_F(KeptFiles, FifosInTheSaveFolderAreRefusedAndNeverWaitedOn) {
  writeMiniStory();
  makeDirs("saves");
  ASSERT_EQ(::mkfifo("saves/quick.sav", 0600), 0);
  ASSERT_EQ(::mkfifo("saves/read.dat", 0600), 0);
  PlayerResult r = play("--save-dir saves");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string where = dir.path() + "/saves/";
  EXPECT_EQ(count(r.err, "will not read '" + where + "quick.sav': it is a FIFO, not a regular file"), 1u) << r.err;
  EXPECT_EQ(count(r.err, "cannot save: will not write '" + where + "quick.sav': it is a FIFO, not a regular file"), 1u)
      << r.err;
  EXPECT_EQ(count(r.err, "will not read '" + where + "read.dat': it is a FIFO"), 1u) << r.err;
  EXPECT_EQ(count(r.err, "will not write '" + where + "read.dat': it is a FIFO"), 1u) << r.err;
}

TEST_F(KeptFiles, LinksInTheSaveFolderAreNeverWrittenThrough) {
  writeMiniStory();
  makeDirs("saves");
  writeText("victim", "precious");
  ASSERT_EQ(::symlink("../victim", "saves/quick.sav"), 0);
  ASSERT_EQ(::symlink("../victim", "saves/read.dat"), 0);
  PlayerResult r = play("--save-dir saves");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(slurp("victim"), "precious");
  EXPECT_NE(r.err.find("quick.sav': it is a symbolic link"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("read.dat': it exists and is a symbolic link"), std::string::npos) << r.err;
}

TEST_F(KeptFiles, ASettingsFileThatIsNoFileIsRefusedBeforeTheRun) {
  writeMiniStory();
  ASSERT_EQ(::mkfifo("settings.ini", 0600), 0);
  PlayerResult r = play("--config settings.ini");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "lmplayer: --config: will not write '" + dir.path() +
                       "/settings.ini': it is a FIFO, not a regular file\n");
  r = play("--config -");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "lmplayer: --config: will not write standard output: it must be a file\n");
  EXPECT_TRUE(r.out.empty());
}

TEST_F(KeptFiles, AFifoNamedKiruneIniIsNoStory) {
  makeDirs("story");
  ASSERT_EQ(::mkfifo("story/kirune.ini", 0600), 0);
  PlayerResult r = runProgram("/usr/bin/timeout", "30 '" + playerPath() + "' --data story --headless --steps 5",
                              dir.path());
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "lmplayer: 'story' holds no readable kirune.ini: will not read 'kirune.ini': it is a FIFO, not a "
                   "regular file\n");
}

// An output that names one of the run's inputs would destroy it: refused
// before step 1, whatever the spelling.
TEST_F(KeptFiles, AnOutputNamingAnInputIsRefusedBeforeTheRun) {
  writeMiniStory();
  const Bytes event = readFile("EVENT.BIN");
  PlayerResult r = play("--step-times ./EVENT.BIN");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "lmplayer: --step-times: will not write '" + dir.path() + "/./EVENT.BIN': the run reads it\n");
  EXPECT_EQ(readFile("EVENT.BIN"), event);

  makeDirs("saves");
  writeText("saves/quick.sav", "a save");
  r = play("--save-dir saves --trace saves/quick.sav");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("--trace: will not write"), std::string::npos) << r.err;
  EXPECT_EQ(slurp("saves/quick.sav"), "a save");

  writeText("settings.ini", "[lmplayer]\n");
  r = play("--config settings.ini --frame-hashes settings.ini");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("--frame-hashes: will not write"), std::string::npos) << r.err;
}

// The data folder is where a run writes its outputs by default: what the last
// run wrote there (or any file the story cannot open) is the user's to replace.
TEST_F(KeptFiles, OutputsOfAnEarlierRunBesideTheStoryMayBeWrittenAgain) {
  writeMiniStory();
  makeDirs("saves");
  for (int round = 0; round < 2; ++round) {
    PlayerResult r = play("--save-dir saves --trace t.txt --frame-hashes saves/f.txt");
    EXPECT_EQ(r.code, 0) << "round " << round << ": " << r.err;
  }
  EXPECT_FALSE(slurp("t.txt").empty());
}

}  // namespace
}  // namespace lmtest
