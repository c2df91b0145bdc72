// The player's own layer driven by scripted keys and mouse: rollback to the
// previous moment replayed frame for frame, skipping that stops at unread text,
// the mouse standing in for the keyboard (menu, backlog, choice hover,
// decide), and settings kept across runs.
#include <gtest/gtest.h>

#include "ComfortRun.h"

namespace lmtest {
namespace {

std::string where(const TraceStep& s) {
  return s.scene + " phase " + std::to_string(s.phase) + " chart " + std::to_string(s.chart);
}

// ---------------------------------------------------------------- rollback

TEST(Rollback, BackspaceThenDecideReplaysTheFirstPassFrameForFrame) {
  ScratchDir dir;
  makeDirs(dir.path() + "/c");
  makeDirs(dir.path() + "/d");
  const Script keys = Script::demo(3000, false);
  Played first = playDemo(dir.path() + "/c", 2900, keys);
  ASSERT_EQ(first.code, 0) << first.err;
  const std::vector<Wait> w = waits(first.trace);
  // Two messages in a row: Backspace while the later one waits goes back to
  // the earlier one as it stood just before its Decide.
  size_t i = 0;
  while (i + 1 < w.size() && !(w[i].phase == 21 && w[i + 1].phase == 21 && w[i].first > 1200)) ++i;
  ASSERT_LT(i + 1, w.size());
  const long decided = w[i].last + 1;  // the step that took the earlier message's Decide
  const long back = w[i + 1].first + 30;

  Script s = keys.before(back);
  s.add(back, "backspace").add(back, "enter").merge(keys.movedFrom(decided + 1, back + 1));
  Played again = playDemo(dir.path() + "/d", back + 500, s);
  ASSERT_EQ(again.code, 0) << again.err;
  EXPECT_EQ(where(again.trace[static_cast<size_t>(back - 2)]), where(first.trace[static_cast<size_t>(back - 2)]));
  EXPECT_EQ(differingFrames(first, decided, again, back, 500), 0);
  for (long k = 0; k < 500; ++k)
    ASSERT_EQ(where(again.trace[static_cast<size_t>(back + k - 1)]),
              where(first.trace[static_cast<size_t>(decided + k - 1)]))
        << k;
}

// ---------------------------------------------------------------- skip

size_t readMarkCount(const std::string& saves) {
  const Bytes b = readFile(saves + "/read.dat");
  return b.size() >= 28 ? (b.size() - 28) / 4 : 0;
}

TEST(Skip, HoldingCtrlRunsThroughReadTextAndStopsAtTheFirstUnreadMessage) {
  ScratchDir dir;
  const std::string saves = dir.path() + "/saves";
  makeDirs(dir.path() + "/r");
  makeDirs(dir.path() + "/s");
  makeDirs(dir.path() + "/full");
  // A first run reads the story up to step 2500.
  const Script keys = Script::demo(6000, false);
  Played reading = playDemo(dir.path() + "/r", 2500, keys, "--save-dir '" + saves + "'");
  ASSERT_EQ(reading.code, 0) << reading.err;
  size_t read = 0;
  for (const Wait& x : waits(reading.trace)) read += x.phase == 21;
  ASSERT_EQ(readMarkCount(saves), read);
  // The message the first run never reached, as a plain run meets it.
  Played full = playDemo(dir.path() + "/full", 4000, keys);
  std::vector<Wait> messages;
  for (const Wait& x : waits(full.trace))
    if (x.phase == 21) messages.push_back(x);
  ASSERT_GT(messages.size(), read);
  const Wait unread = messages[read];

  // Past the language choice, Ctrl is held to the end of the run.
  Script s = keys.before(801);
  s.add(810, "ctrl+");
  Played skipping = playDemo(dir.path() + "/s", 1400, s, "--save-dir '" + saves + "'");
  ASSERT_EQ(skipping.code, 0) << skipping.err;
  // It waits at that message to the end of the run, and got there in far
  // fewer steps than reading took.
  ASSERT_EQ(skipping.trace.size(), 1400u);
  long arrived = 1400;
  while (arrived > 1 && skipping.trace[static_cast<size_t>(arrived - 2)].phase == 21) --arrived;
  EXPECT_LT(arrived, 810 + (unread.first - 810) / 3);
  EXPECT_LT(arrived, 1200);
  EXPECT_EQ(skipping.trace.back().chart, unread.chart);
  EXPECT_EQ(readMarkCount(saves), read + 1) << "only the message it stopped at is new";
}

TEST(Skip, ReadOnlyModeDoesNotSkipUnreadText) {
  ScratchDir dir;
  const Script keys = Script::demo(3000, false);
  Script s = keys.before(801);
  s.add(810, "tab");
  // No read marks at all: the first message after the choice stops it.
  Played p = playDemo(dir.path(), 1400, s, "--save-dir '" + dir.path() + "/saves'");
  ASSERT_EQ(p.code, 0) << p.err;
  Played plain = playDemo(dir.path(), 1400, keys.before(801));
  std::vector<Wait> a = waits(p.trace), b = waits(plain.trace);
  ASSERT_GE(a.size(), 3u);
  ASSERT_GE(b.size(), 3u);
  EXPECT_EQ(a[2].chart, b[2].chart);
  EXPECT_EQ(a[2].last, 1400) << "waits at the first message after the choice";
  EXPECT_LT(a[2].first, b[2].first) << "but got there fast";
}

// ---------------------------------------------------------------- mouse

// Two runs that differ only in how the same thing is asked give the same
// frames and trace from start to end.
void expectSameRun(const Script& a, const Script& b, long steps) {
  ScratchDir dir;
  makeDirs(dir.path() + "/a");
  makeDirs(dir.path() + "/b");
  Played x = playDemo(dir.path() + "/a", steps, a);
  Played y = playDemo(dir.path() + "/b", steps, b);
  ASSERT_EQ(x.code, 0) << x.err;
  ASSERT_EQ(y.code, 0) << y.err;
  EXPECT_EQ(x.trace, y.trace);
  EXPECT_EQ(differingFrames(x, 1, y, 1, steps), 0);
  ASSERT_EQ(x.frames.size(), y.frames.size());
}

TEST(Mouse, RightClickOpensTheMenuAsEscapeDoesAndClicksPickItsItems) {
  const Script keys = Script::demo(1700, false).before(1590);
  Script byKeys = keys, byMouse = keys;
  // Menu, down to Backlog (the fourth item), open it, scroll, close both.
  byKeys.add(1590, "escape").add(1592, "down").add(1594, "down").add(1596, "down").add(1598, "enter");
  byKeys.add(1602, "up").add(1606, "escape").add(1610, "escape");
  byMouse.add(1590, "rclick").add(1592, "move@150x100").add(1594, "move@150x118");
  byMouse.add(1596, "move@150x140").add(1598, "click@150x140");
  byMouse.add(1602, "wheelup").add(1606, "rclick").add(1610, "rclick");
  expectSameRun(byKeys, byMouse, 1700);
}

TEST(Mouse, WheelUpOpensTheBacklogAndWheelDownPastItsEndClosesIt) {
  const Script keys = Script::demo(1700, false).before(1590);
  Script byKeys = keys, byMouse = keys;
  byKeys.add(1590, "pageup").add(1600, "pagedown");
  byMouse.add(1590, "wheelup").add(1600, "wheeldown");
  expectSameRun(byKeys, byMouse, 1650);
}

TEST(Mouse, HoverMovesTheChoiceCursorAndAClickDecidesLikeTheKeys) {
  // The choice of chart 2 waits from step 2802; its second item is the
  // harbour. Keys: Down, Enter. Mouse: hover over the second row, click it.
  const Script keys = Script::demo(2801, false);
  Script byKeys = keys, byMouse = keys;
  byKeys.add(2850, "down").add(2900, "enter");
  byMouse.add(2850, "move@160x160").add(2900, "click@160x160");
  // A click beside the window does nothing.
  byMouse.add(2870, "click@20x20");
  expectSameRun(byKeys, byMouse, 3300);
}

TEST(Mouse, AClickOrTheWheelDownDecidesAMessage) {
  Script byKeys = Script::demo(1700, false), byMouse = byKeys;
  byKeys.add(1610, "enter").add(1650, "space");
  byMouse.add(1610, "click@10x10").add(1650, "wheeldown");
  expectSameRun(byKeys, byMouse, 1700);
}

// Scrolling down over an open choice (as after closing the backlog with the
// wheel) never picks an answer: the run is the one without the wheel; Enter
// still decides.
TEST(Mouse, TheWheelNeverDecidesAnOpenChoice) {
  const Script keys = Script::demo(2801, false);
  Script still = keys, wheel = keys;
  still.add(2900, "enter");
  for (long k = 2840; k < 2880; k += 4) wheel.add(k, "wheeldown");
  wheel.add(2900, "enter");
  ScratchDir dir;
  makeDirs(dir.path() + "/a");
  makeDirs(dir.path() + "/b");
  Played x = playDemo(dir.path() + "/a", 3100, still);
  Played y = playDemo(dir.path() + "/b", 3100, wheel);
  ASSERT_EQ(x.code, 0) << x.err;
  ASSERT_EQ(y.code, 0) << y.err;
  EXPECT_EQ(x.trace, y.trace);
  ASSERT_GT(y.trace.size(), 2899u);
  EXPECT_EQ(y.trace[2898].phase, 50) << "the choice is still open before Enter";
  EXPECT_NE(y.trace[3000].phase, 50) << "Enter decided it";
}

// ---------------------------------------------------------------- continue

// The waiting moment a quick save at `step` keeps: the last wait begun by then.
Wait savedWait(const Played& p, long step) {
  Wait last{};
  for (const Wait& w : waits(p.trace))
    if (w.first <= step) last = w;
  return last;
}

// A returning player: Esc then Enter on the opening screen continues from
// the newest save; --continue starts there directly; without a save the
// menu has no Continue and the first row resumes the opening.
TEST(Continue, EscThenEnterOrTheOptionResumeTheNewestSave) {
  ScratchDir dir;
  const std::string saves = "--save-dir '" + dir.path() + "/saves'";
  for (const char* d : {"/a", "/b", "/c", "/d"}) makeDirs(dir.path() + d);
  Played first = playDemo(dir.path() + "/a", 1400, Script::demo(1400, false).add(1350, "f5"), saves);
  ASSERT_EQ(first.code, 0) << first.err;
  const Wait saved = savedWait(first, 1350);
  ASSERT_EQ(saved.phase, 21);

  Script twoKeys;
  twoKeys.add(30, "escape").add(40, "enter");
  Played menu = playDemo(dir.path() + "/b", 60, twoKeys, saves);
  ASSERT_EQ(menu.code, 0) << menu.err;
  ASSERT_EQ(menu.trace.size(), 60u);
  EXPECT_NE(menu.trace[20].scene, "game");
  EXPECT_EQ(menu.trace[50].scene, "game");
  EXPECT_EQ(menu.trace[50].chart, saved.chart);
  EXPECT_EQ(menu.trace[50].phase, 21);

  Played option = playDemo(dir.path() + "/c", 20, Script(), saves + " --continue");
  ASSERT_EQ(option.code, 0) << option.err;
  ASSERT_EQ(option.trace.size(), 20u);
  EXPECT_EQ(option.trace[10].scene, "game");
  EXPECT_EQ(option.trace[10].chart, saved.chart);

  const std::string none = "--save-dir '" + dir.path() + "/none'";
  Played fresh = playDemo(dir.path() + "/d", 60, twoKeys, none + " --continue");
  ASSERT_EQ(fresh.code, 0) << fresh.err;
  ASSERT_EQ(fresh.trace.size(), 60u);
  EXPECT_NE(fresh.trace[50].scene, "game") << "nothing to continue: the opening goes on";
}

// ---------------------------------------------------------------- settings

TEST(Settings, AChangedVolumeIsRememberedAndScalesTheNextRunsSound) {
  ScratchDir dir;
  const std::string cfg = dir.path() + "/conf/settings.ini";
  // Menu, Settings (fifth item), Left three times on the master volume, out.
  Script change;
  change.add(10, "escape");
  for (long k = 0; k < 4; ++k) change.add(12 + 2 * k, "down");
  change.add(20, "enter").add(22, "left").add(24, "left").add(26, "left").add(28, "escape").add(30, "escape");
  Played p = playDemo(dir.path(), 40, change, "--config '" + cfg + "'");
  ASSERT_EQ(p.code, 0) << p.err;
  const std::string text = slurp(cfg);
  EXPECT_NE(text.find("master_volume=70\n"), std::string::npos) << text;
  EXPECT_NE(text.find("voice_volume=100\n"), std::string::npos) << text;

  // The next run reads it: every sample is the plain run's at 70 %.
  const Script keys = Script::demo(1200, false);
  PlayerResult plain = runPlayer("--data '" + demoData() + "' --headless --steps 1200 --input " + keys.list() +
                                     " --audio-out plain.wav",
                                 dir.path());
  PlayerResult quiet = runPlayer("--data '" + demoData() + "' --headless --steps 1200 --input " + keys.list() +
                                     " --audio-out quiet.wav --config '" + cfg + "'",
                                 dir.path());
  ASSERT_EQ(plain.code, 0) << plain.err;
  ASSERT_EQ(quiet.code, 0) << quiet.err;
  const Wav a = readWav(dir.path() + "/plain.wav"), b = readWav(dir.path() + "/quiet.wav");
  ASSERT_EQ(a.samples.size(), b.samples.size());
  size_t sounding = 0;
  for (size_t i = 0; i < a.samples.size(); ++i) {
    ASSERT_EQ(b.samples[i], a.samples[i] * 70 / 100) << "sample " << i;
    sounding += a.samples[i] != 0;
  }
  EXPECT_GT(sounding, 1000u);
  EXPECT_EQ(slurp(cfg), text) << "an unchanged setting is not written again";
}

TEST(Settings, MuteTogglesWithMAndIsRemembered) {
  ScratchDir dir;
  const std::string cfg = dir.path() + "/settings.ini";
  Script s;
  s.add(5, "m");
  Played p = playDemo(dir.path(), 10, s, "--config '" + cfg + "'");
  ASSERT_EQ(p.code, 0) << p.err;
  EXPECT_NE(slurp(cfg).find("mute=1\n"), std::string::npos);
  PlayerResult r = runPlayer("--data '" + demoData() + "' --headless --steps 1200 --input " +
                                 Script::demo(1200, false).list() + " --audio-out m.wav --config '" + cfg + "'",
                             dir.path());
  ASSERT_EQ(r.code, 0) << r.err;
  const Wav w = readWav(dir.path() + "/m.wav");
  ASSERT_FALSE(w.samples.empty());
  for (int16_t v : w.samples) ASSERT_EQ(v, 0);
}

}  // namespace
}  // namespace lmtest
