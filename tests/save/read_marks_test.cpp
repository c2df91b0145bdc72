// Read marks: kept per story, written only when new marks came, damaged
// files ignored with a message.
#include <gtest/gtest.h>

#include "save/ReadMarks.h"
#include "save/SaveStore.h"
#include "save/StoryId.h"
#include "shell/FileUtils.h"
#include "support/TestSupport.h"

namespace {

TEST(ReadMarks, MarksSurviveAStoreAndLoadOfTheSameStoryOnly) {
  lmtest::ScratchDir dir;
  save::ReadMarks m;
  EXPECT_TRUE(m.mark(40));
  EXPECT_FALSE(m.mark(40)) << "already read";
  EXPECT_TRUE(m.mark(7));
  std::string error, message;
  ASSERT_TRUE(m.store(dir.path() + "/s", 5, error)) << error;
  EXPECT_FALSE(m.changed());

  save::ReadMarks again;
  ASSERT_TRUE(again.load(dir.path() + "/s", 5, message)) << message;
  EXPECT_TRUE(again.isRead(7));
  EXPECT_TRUE(again.isRead(40));
  EXPECT_FALSE(again.isRead(8));

  save::ReadMarks other;
  EXPECT_FALSE(other.load(dir.path() + "/s", 6, message));
  EXPECT_NE(message.find("read.dat"), std::string::npos);
  EXPECT_EQ(other.size(), 0u);

  // Nothing new: the file is not written again.
  lmtest::writeText(dir.path() + "/s/read.dat", "x");
  ASSERT_TRUE(again.store(dir.path() + "/s", 5, error));
  EXPECT_EQ(lmtest::readFile(dir.path() + "/s/read.dat").size(), 1u);
}

TEST(ReadMarks, DamagedFilesAddNothing) {
  save::ReadMarks m;
  m.mark(1);
  m.mark(2);
  const std::vector<uint8_t> good = m.encode(9);
  for (size_t i = 0; i < good.size(); ++i) {
    std::vector<uint8_t> f = good;
    f[i] ^= 0x40;
    save::ReadMarks r;
    EXPECT_FALSE(r.decode(f.data(), f.size(), 9)) << i;
    EXPECT_EQ(r.size(), 0u);
  }
  for (size_t n = 0; n < good.size(); ++n) {
    save::ReadMarks r;
    EXPECT_FALSE(r.decode(good.data(), n, 9)) << n;
  }
  save::ReadMarks r;
  EXPECT_TRUE(r.decode(good.data(), good.size(), 9));
  EXPECT_EQ(r.size(), 2u);
}

TEST(SaveStore, SlotsHaveTheirNamesAndAMissingFolderKeepsNothing) {
  EXPECT_EQ(save::slotFileName(0), "slot01.sav");
  EXPECT_EQ(save::slotFileName(9), "slot10.sav");
  EXPECT_EQ(save::slotFileName(save::kQuickSlot), "quick.sav");
  EXPECT_EQ(save::slotFileName(save::kAutoSlot), "auto.sav");
  save::SaveStore none;
  EXPECT_FALSE(none.enabled());
  std::string error, message;
  EXPECT_FALSE(none.write(0, save::SaveData{}, error));
  save::SaveData d;
  EXPECT_EQ(none.read(0, d, message), save::ReadResult::Missing);
}

TEST(SaveStore, AWrittenSlotReadsBackAndAFolderInTheWayIsReported) {
  lmtest::ScratchDir dir;
  save::SaveStore store(dir.path() + "/a/b", 77);
  save::SaveData d;
  d.state.game.phase = 21;
  d.label = "x";
  std::string error, message;
  ASSERT_TRUE(store.write(3, d, error)) << error;
  save::SaveData back;
  ASSERT_EQ(store.read(3, back, message), save::ReadResult::Ok) << message;
  EXPECT_EQ(back.storyId, 77u);
  EXPECT_EQ(back.label, "x");
  EXPECT_EQ(store.read(4, back, message), save::ReadResult::Missing);
  lmtest::makeDirs(dir.path() + "/a/b/slot06.sav");
  EXPECT_EQ(store.read(5, back, message), save::ReadResult::Refused);
  EXPECT_NE(message.find("slot06.sav': it is a folder, not a regular file"), std::string::npos) << message;

  lmtest::writeText(dir.path() + "/file", "");
  save::SaveStore blocked(dir.path() + "/file/sub", 77);
  EXPECT_FALSE(blocked.write(0, d, error));
  EXPECT_NE(error.find("cannot make the folder"), std::string::npos) << error;
}

TEST(StoryId, DependsOnTheIniAndBothStoryFiles) {
  lmtest::ScratchDir dir;
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nROOTDIR=data\\\n");
  lmtest::makeDirs("data");
  lmtest::writeText("data/EVENT.BIN", "event");
  lmtest::writeText("data/ASTARTUP.BIN", "names");
  const uint64_t a = save::currentStoryId();
  EXPECT_EQ(save::currentStoryId(), a);
  lmtest::writeText("data/event.bin", "");  // spelled another way: the exact name wins
  EXPECT_EQ(save::currentStoryId(), a);
  lmtest::writeText("data/EVENT.BIN", "evenT");
  const uint64_t b = save::currentStoryId();
  EXPECT_NE(b, a);
  lmtest::writeText("data/ASTARTUP.BIN", "nameS");
  EXPECT_NE(save::currentStoryId(), b);
  EXPECT_EQ(save::storyIdText(0xABCull), "0000000000000abc");
  EXPECT_EQ(openCheck(), 0) << "the story's own file opening is not disturbed";
}

TEST(SaveStore, DefaultFolderFollowsXdgDataHome) {
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_DATA_HOME", "/tmp/xdg-test", 1);
  EXPECT_EQ(save::defaultSaveDir(0x10), "/tmp/xdg-test/lmplayer/saves/0000000000000010");
  setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored, as the XDG rules say
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  if (!home.empty()) {
    EXPECT_EQ(save::defaultSaveDir(1), home + "/.local/share/lmplayer/saves/0000000000000001");
  }
  if (old) setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else unsetenv("XDG_DATA_HOME");
}

}  // namespace

namespace {

// Two players on one save folder: each writes what it read merged with what
// the other wrote meanwhile, so no mark is lost whoever writes last.
TEST(ReadMarks, TwoPlayersOnOneFolderKeepEveryMark) {
  lmtest::ScratchDir dir;
  const std::string saves = dir.path() + "/s";
  save::ReadMarks first, second;
  std::string error, message;
  ASSERT_TRUE(first.load(saves, 5, message));
  ASSERT_TRUE(second.load(saves, 5, message));
  for (uint32_t m : {10u, 20u, 30u}) first.mark(m);
  for (uint32_t m : {15u, 20u, 25u, 35u}) second.mark(m);
  ASSERT_TRUE(first.store(saves, 5, error)) << error;
  ASSERT_TRUE(second.store(saves, 5, error)) << error;
  first.mark(40);
  ASSERT_TRUE(first.store(saves, 5, error)) << error;

  save::ReadMarks after;
  ASSERT_TRUE(after.load(saves, 5, message)) << message;
  EXPECT_EQ(after.size(), 7u);
  for (uint32_t m : {10u, 15u, 20u, 25u, 30u, 35u, 40u}) EXPECT_TRUE(after.isRead(m)) << m;
}

// A mark is a place in EVENT.BIN: beyond its size there is none, and a file
// cannot hold more marks than the story has places.
TEST(ReadMarks, MarksAreBoundedByTheStorysEventFile) {
  lmtest::ScratchDir dir;
  save::ReadMarks many;
  for (uint32_t m = 1; m <= 200; ++m) many.mark(m * 10);
  const std::vector<uint8_t> file = many.encode(3);

  save::ReadMarks small;
  small.limitTo(1000);  // room for 1,001 places, but the marks past 1000 are no message's
  ASSERT_TRUE(small.decode(file.data(), file.size(), 3));
  EXPECT_EQ(small.size(), 100u);
  EXPECT_TRUE(small.isRead(1000));
  EXPECT_FALSE(small.isRead(1010));

  save::ReadMarks tiny;
  tiny.limitTo(100);
  EXPECT_FALSE(tiny.decode(file.data(), file.size(), 3)) << "200 marks cannot fit 101 places";

  // Through load(): the working directory's EVENT.BIN sets the bound.
  lmtest::writeText("kirune.ini", "[DOROVANKA]\n");
  lmtest::writeFile("EVENT.BIN", lmtest::Bytes(1500, 0));
  fileUtilsReset();
  lmtest::makeDirs(dir.path() + "/s");
  lmtest::writeFile(dir.path() + "/s/read.dat", file);
  save::ReadMarks loaded;
  std::string message;
  ASSERT_TRUE(loaded.load(dir.path() + "/s", 3, message)) << message;
  EXPECT_EQ(loaded.size(), 150u);
}

}  // namespace
