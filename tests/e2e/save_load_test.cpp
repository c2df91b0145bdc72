// Saves and loads through the real player: a save made while the story waits
// continues, after a load in a fresh run from any scene, exactly as the saved
// run went on (frames and trace, 500 steps), in both languages, at a message
// and at a choice; damaged, cut, foreign and other-story saves are refused
// with one line and change nothing; quitting from the menu saves automatically.
#include <gtest/gtest.h>

#include <fstream>

#include "ComfortRun.h"
#include "save/Bytes.h"
#include "save/SaveFile.h"

namespace lmtest {
namespace {

constexpr long kCompare = 500;

struct Case {
  const char* name;
  bool english;
  int phase;    // 21 a message, 50 a choice
  int which;    // the n-th wait of that kind (from 0)
  long loadAt;  // step of F9 in the fresh run
};

class SaveLoad : public ::testing::TestWithParam<Case> {
 protected:
  ScratchDir dir;
};

TEST_P(SaveLoad, ALoadedSaveGoesOnAsTheSavedRunDid) {
  const Case c = GetParam();
  const std::string base = dir.path();
  makeDirs(base + "/c");
  makeDirs(base + "/a");
  makeDirs(base + "/b");
  // The uninterrupted run, and the waiting moment to save at (ten steps
  // before its Decide, long after the voice of a message ended).
  const Script keys = Script::demo(4000, c.english);
  Played plain = playDemo(base + "/c", 3600, keys);
  ASSERT_EQ(plain.code, 0) << plain.err;
  int seen = 0;
  long saveAt = 0;
  for (const Wait& w : waits(plain.trace))
    if (w.phase == c.phase && w.first > 800 && seen++ == c.which) saveAt = w.last - 9;
  ASSERT_GT(saveAt, 0);
  ASSERT_LT(saveAt + kCompare, 3600);

  Script withSave = keys.before(saveAt + 1);
  withSave.add(saveAt, "f5");
  Played saving = playDemo(base + "/a", saveAt + 1, withSave, "--save-dir '" + base + "/saves'");
  ASSERT_EQ(saving.code, 0) << saving.err;
  ASSERT_TRUE(fileExists(base + "/saves/quick.sav"));

  // A fresh run loads it at `loadAt` (in some earlier scene) and gets the same later keys.
  Script loading = keys.before(c.loadAt);
  loading.add(c.loadAt, "f9").merge(keys.movedFrom(saveAt, c.loadAt));
  Played loaded = playDemo(base + "/b", c.loadAt + kCompare, loading, "--save-dir '" + base + "/saves'");
  ASSERT_EQ(loaded.code, 0) << loaded.err;
  EXPECT_TRUE(loaded.err.empty()) << loaded.err;

  EXPECT_EQ(differingFrames(plain, saveAt, loaded, c.loadAt, kCompare), 0);
  for (long k = 0; k < kCompare; ++k) {
    const TraceStep& p = plain.trace[static_cast<size_t>(saveAt + k - 1)];
    const TraceStep& l = loaded.trace[static_cast<size_t>(c.loadAt + k - 1)];
    ASSERT_EQ(p.scene + " " + std::to_string(p.phase) + " " + std::to_string(p.chart),
              l.scene + " " + std::to_string(l.phase) + " " + std::to_string(l.chart))
        << "step " << k << " after the load";
  }
  // The fresh run was in the scene the case names when it loaded.
  const std::string scene = std::string(c.name).find("Opening") != std::string::npos ? "opening"
                            : std::string(c.name).find("Title") != std::string::npos ? "title"
                                                                                      : "select";
  EXPECT_EQ(loaded.trace[static_cast<size_t>(c.loadAt - 2)].scene, scene);
}

INSTANTIATE_TEST_SUITE_P(
    DemoBothLanguages, SaveLoad,
    ::testing::Values(Case{"JapaneseMessageLoadedInTheOpening", false, 21, 3, 150},
                      Case{"JapaneseChoiceLoadedOnTheTitle", false, 50, 0, 250},
                      Case{"EnglishMessageLoadedOnTheSelectScreen", true, 21, 5, 480},
                      Case{"EnglishChoiceLoadedInTheOpening", true, 50, 0, 60}),
    [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

// ---------------------------------------------------------------- refusals

class BadSaves : public ::testing::Test {
 protected:
  void SetUp() override {
    base = dir.path();
    saves = base + "/saves";
    makeDirs(base + "/a");
    keys = Script::demo(1700, false);
    Script s = keys.before(1590);
    s.add(1590, "f5");
    Played saving = playDemo(base + "/a", 1591, s, "--save-dir '" + saves + "'");
    ASSERT_EQ(saving.code, 0) << saving.err;
    good = readFile(saves + "/quick.sav");
    ASSERT_GT(good.size(), save::kHeaderBytes);
  }

  // Loads a quick save made of `bytes` at step 1600 of the same play; the
  // run must go on as if F9 had not been pressed.
  void expectRefused(const Bytes& bytes, const std::string& why) {
    SCOPED_TRACE(why);
    writeFile(saves + "/quick.sav", bytes);
    makeDirs(base + "/b");
    Played without = playDemo(base + "/b", 1700, keys, "--save-dir '" + saves + "'");
    Script s = keys;
    s.add(1600, "f9");
    Played with = playDemo(base + "/b", 1700, s, "--save-dir '" + saves + "'");
    ASSERT_EQ(with.code, 0);
    EXPECT_EQ(with.trace, without.trace);
    const std::vector<std::string> err = lines(with.err);
    ASSERT_EQ(err.size(), 1u) << with.err;
    EXPECT_NE(err[0].find("quick.sav' refused: " + why), std::string::npos) << err[0];
    EXPECT_EQ(readFile(saves + "/quick.sav"), bytes) << "the save itself is left alone";
  }

  ScratchDir dir;
  std::string base, saves;
  Script keys;
  Bytes good;
};

TEST_F(BadSaves, DamagedCutForeignAndOtherStorySavesAreRefusedAndChangeNothing) {
  Bytes flipped = good;
  flipped[good.size() / 2] ^= 0x10;
  expectRefused(flipped, "damaged");

  expectRefused(Bytes(good.begin(), good.begin() + static_cast<long>(good.size()) - 1), "cut short");
  expectRefused(Bytes(good.begin(), good.begin() + 20), "cut short");

  Bytes version = good;
  version[8] = save::kSaveVersion + 1;  // a later format
  expectRefused(version, "made by another version of the save format");
  version[8] = 1;  // the first format, which kept no voice and no rollback
  expectRefused(version, "made by another version of the save format");

  expectRefused(Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'}, "not a save file");

  // Another story: the same save with its story id changed and its checksum
  // made right again.
  Bytes other = good;
  other[12] ^= 0xFF;
  save::ByteWriter crc;
  const uint32_t sum = save::crc32Of(other.data() + save::kHeaderBytes, other.size() - save::kHeaderBytes,
                                     save::crc32Of(other.data(), save::kHeaderBytes - 4));
  crc.u32(sum);
  std::copy(crc.data().begin(), crc.data().end(), other.begin() + 24);
  expectRefused(other, "from another story");
}

// ---------------------------------------------------------------- quit

TEST(QuitFromTheMenu, SavesAutomaticallyAndEndsTheRun) {
  ScratchDir dir;
  const std::string saves = dir.path() + "/saves";
  // Menu (Esc), Up to Quit (the cursor stops at the top; Up from Resume
  // stays), so: five Downs, Enter, then Up onto Yes and Enter.
  Script s = Script::demo(1700, false).before(1590);
  s.add(1590, "escape");
  for (long k = 0; k < 5; ++k) s.add(1592 + 2 * k, "down");
  s.add(1604, "enter").add(1606, "up").add(1608, "enter");
  Played p = playDemo(dir.path(), 3000, s, "--save-dir '" + saves + "'");
  ASSERT_EQ(p.code, 0) << p.err;
  EXPECT_EQ(p.trace.size(), 1608u) << "the run ends with the step of the answer";
  ASSERT_TRUE(fileExists(saves + "/auto.sav"));
  save::SaveData d;
  const Bytes bytes = readFile(saves + "/auto.sav");
  ASSERT_GT(bytes.size(), save::kHeaderBytes);
  save::ByteReader header(bytes.data() + 12, 8);
  const uint64_t story = header.u64();
  ASSERT_EQ(save::decodeSave(bytes.data(), bytes.size(), story, d), save::SaveProblem::None);
  // The moment the menu opened over: the message that waited at step 1590.
  EXPECT_EQ(d.state.game.phase, 21);
  EXPECT_EQ(d.state.game.chart, p.trace[1588].chart);
  EXPECT_EQ(d.thumb.width, save::Thumbnail::kWidth);
  EXPECT_EQ(d.thumb.height, save::Thumbnail::kHeight);
  EXPECT_FALSE(d.label.empty());
  EXPECT_FALSE(d.backlog.empty());
}

}  // namespace
}  // namespace lmtest
