// lmtool story dump: dumps rebuild byte for byte, undefined bytes stay
// visible, and damaged data dumps without harm.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/Ini.h"
#include "support/TestSupport.h"
#include "tools/author/story_compiler.h"
#include "tools/author/story_dumper.h"

namespace {

using lmtest::Bytes;
using story::StoryFiles;

std::string dumpOf(const std::string& dir) {
  std::string script, error;
  EXPECT_TRUE(dumpStory(dir, script, &error)) << error;
  return script;
}

void buildInto(const std::string& script, const std::string& dir) {
  std::string error;
  ASSERT_TRUE(buildStory(script, dir, &error)) << error << "\n--- script:\n" << script;
}

// Builds `script`, dumps it, builds the dump and compares the three files.
std::string roundTrip(const std::string& script, const std::string& root = "") {
  lmtest::ScratchDir scratch;
  buildInto(script, "a");
  std::string dumped = dumpOf("a");
  buildInto(dumped, "b");
  for (const char* f : {"EVENT.BIN", "ASTARTUP.BIN"})
    EXPECT_EQ(lmtest::readFile("a/" + root + f), lmtest::readFile("b/" + root + f)) << f << "\n" << dumped;
  EXPECT_EQ(lmtest::readFile("a/kirune.ini"), lmtest::readFile("b/kirune.ini")) << dumped;
  EXPECT_FALSE(lmtest::readFile("a/" + root + "EVENT.BIN").empty() && script.find("chart") != std::string::npos);
  return dumped;
}

const char* const kEveryInstruction = R"(
character 1 aiko "愛子"
character 2 "Ken"
sysdir .
pcmdir voice
evdir "ev/"
facedir face
syspcm SYS02.PCM
skip 1
freq 11025
start intro

chart intro -> ask
  image E001
  image E002 rise
  image E003 drop
  image E004 slide-right
  image E005 slide-left
  image E006 zoom
  image E007 pan-up
  image E008 pan-down
  image E009 swap
  image remove
  window open
  voice 012
  voice next
  voice next5
  voice next5 1 2 3 4 5
  say aiko "こんにちは\nよろしく\cまた"
  speaker 2
  speaker "？？？"
  text "\\\\ and \\q and \x81\x40 and \"quotes\""
  face 1 0
  face 99 99
  face 1 hide
  shake
  shake 1
  fade out
  fade in
  fade white
  fade from-white
  flash
  wait 0
  wait 255
  nop
  nop 7
  nop8b
  nop92 200
  jump

chart ask = 4 -> yes no
  choice "はい" "いいえ"
  branch

chart yes -> intro
  branch 9
  jump
chart no
  window close
)";

TEST(StoryDumper, RoundTripsEveryInstruction) {
  std::string dumped = roundTrip(kEveryInstruction);
  EXPECT_EQ(dumped.find("raw"), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("say 1 \"こんにちは\\nよろしく\\cまた\""), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("image E005 slide-left"), std::string::npos);
  EXPECT_NE(dumped.find("chart c4 = 4 -> c5 c6"), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("syspcm \"SYS02.PCM\""), std::string::npos);
}

TEST(StoryDumper, ShowsUndefinedBytesAsRaw) {
  std::string dumped = roundTrip(
      "character 1 \"A\"\n"
      "chart a -> a\n"
      "  raw 0x82\n"
      "  nop\n"
      "  raw 0x94 0x00 0x01 0x20 0xFF\n"
      "  raw 0x8C 0x01 0x65\n"       // face expression 100: not a sound face
      "  raw 0x8D 0x09 \"E001\" 0\n"  // image mode 9
      "  raw 0x87 \"012\" 5\n"        // voice with a spare byte of 5
      "  raw 0x80 0x07\n"             // speaker 7 of 1
      "  raw 0x84 0x00\n"             // choice of nothing
      "  raw 0x81 \"a\" 0x82\n"       // message running into the end
      );
  EXPECT_NE(dumped.find("  raw 0x82\n  nop\n  raw 0x94 0x00 0x01 0x20 0xFF 0x8C 0x01 0x65 0x8D 0x09"),
            std::string::npos)
      << dumped;
  EXPECT_EQ(dumped.find("speaker 7"), std::string::npos) << dumped;
}

TEST(StoryDumper, RoundTripsOddLayouts) {
  // Tables after the streams, data between charts, a base address, spare
  // chart numbers, an empty chart sharing its start with the next.
  roundTrip(
      "address 0x8000\n"
      "max 12\n"
      "chart first -> second\n  flash\n  jump\n"
      "data\n  raw 1 2 3\n"
      "chart empty = 9 -> first\n"
      "chart second -> first\n  wait 3\n  jump\n"
      "link-table\n"
      "data\n  raw 0xEE\n"
      "chart-table\n"
      "chart last\n  nop\n");
  // Explicit entries, link rows, a start file written byte by byte and INI values set directly.
  roundTrip(
      "character 1 \"X\"\n"
      "startup 0x81 0x79 \"A\" 0x81 0x7A \"junk\" 0x81 0x79 \"B\" 0x81 0x7A\n"
      "ini CHAR 2\n"
      "ini NAME 0\n"
      "ini START 3\n"
      "max 6\n"
      "chart a = 0 -> b\n  jump\n"
      "chart b = 2\n  say 2 \"hi\"\n"
      "entry 4 = b\n"
      "entry 5 = 0xFFFFFFF0\n"
      "linkrow 5 = 1 2 3 4 5 6\n"
      "linkrow 3 = 0 0 7\n");
  // Chart 0 carrying row 0 alone, and successors that are aliases.
  roundTrip(
      "chart z = 0 -> x 3\n  choice \"a\" \"b\"\n  branch\n"
      "chart x = 2 -> 3\n  jump\n"
      "entry 3 = z\n");
  // INI values written in forms the reader wraps (4294967295 reads as -1).
  roundTrip("ini MAX 4294967295\nini ADDRESS -5\nini START -1\nini CHAR 4294967295\nchart a\n  nop\n");
  roundTrip("ini LINK 0\nini NAME 3\nchart a = 3\n  flash\n");
  // Only data, no tables.
  roundTrip("layout raw\nini CHART 4\nini MAX 1\ndata\n  raw 0 0 0 8 0x81 0x00\n");
  roundTrip("max 0\n");
  roundTrip("");
}

TEST(StoryDumper, RoundTripsTextWithAwkwardBytes) {
  roundTrip(
      "character 1 \"\\x81\\x7B\\\\n\"\n"
      "chart a\n"
      "  text \"\\\\\\x82 \\xFF\\xFF ソ\\x5C\\xA1\\x41 \\\\\\\\\"\n"
      "  choice \"\\n\\\\\" \"\\x80\\x80\" \"\\xFD\\x40\"\n"
      "  speaker \"\\x82\\xA0\\x5C\"\n");
}

TEST(StoryDumper, ReadsFilesFromRootDir) {
  roundTrip("rootdir data\ncharacter 1 \"A\"\nchart a\n  say 1 \"x\"\n", "data/");
}

TEST(StoryDumper, TheDemoStoryRoundTrips) {
  std::string path = lmtest::sourceDir() + "/demo/story/kirune.story";
  if (!lmtest::fileExists(path)) GTEST_SKIP() << "no demo story";
  Bytes text = lmtest::readFile(path);
  std::string dumped = roundTrip(std::string(text.begin(), text.end()));
  EXPECT_EQ(dumped.find("raw"), std::string::npos);
}

TEST(StoryDumper, TheDocumentedExampleBuildsAndRoundTrips) {
  Bytes doc = lmtest::readFile(lmtest::sourceDir() + "/docs/script.md");
  std::string text(doc.begin(), doc.end());
  size_t at = text.find("## A complete example");
  ASSERT_NE(at, std::string::npos);
  size_t begin = text.find("```\n", at);
  ASSERT_NE(begin, std::string::npos);
  begin += 4;
  size_t end = text.find("```", begin);
  std::string example = text.substr(begin, end - begin);
  story::StoryFiles files;
  std::string error;
  ASSERT_TRUE(story::compileStory(example, files, &error)) << error;
  EXPECT_TRUE(files.warnings.empty());
  std::string dumped = roundTrip(example);
  EXPECT_NE(dumped.find("choice \"まだいる\" \"もう帰る\""), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("image E002 drop"), std::string::npos);
  EXPECT_NE(dumped.find("face 1 0"), std::string::npos);
  EXPECT_NE(dumped.find("voice 012"), std::string::npos);
}

// Random scripts in every layout the language allows: their dumps rebuild
// the same three files.
TEST(StoryDumper, RandomScriptsRoundTrip) {
  std::mt19937 rng(99);
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  const char* const instructions[] = {
      "say 1 \"あいう\\nえお\"", "speaker 2", "speaker \"？\"", "text \"x\\cy\"", "window open",
      "window close", "voice 0A1", "voice next", "voice next5 1 0 0 0 9", "nop", "nop 3", "nop8b",
      "nop92 4", "face 3 0", "face 3 hide", "image E001 zoom", "image remove", "shake", "fade white",
      "flash", "wait 9", "raw 0x82", "raw 0x81 0x41", "raw 0x00 0x01", "choice \"a\" \"b\"", "branch 3"};
  int built = 0;
  for (int round = 0; round < 25; ++round) {
    int charts = 1 + pick(6);
    std::string script = "character 1 \"A\"\ncharacter 2 \"B\"\n";
    if (pick(2)) script += "address " + std::to_string(pick(100000)) + "\n";
    int top = charts + pick(4);
    script += "max " + std::to_string(top + 1) + "\n";
    bool tablesPlaced = false;
    for (int c = 0; c < charts; ++c) {
      int number = pick(3) ? c + 1 : (c == 0 ? 0 : -1);
      script += "chart k" + std::to_string(c) + (number >= 0 ? " = " + std::to_string(number) : "");
      int succ = 1 + pick(3);
      script += " ->";
      for (int k = 0; k < succ; ++k) script += " k" + std::to_string(pick(charts));
      script += "\n";
      for (int i = pick(6); i > 0; --i) script += std::string("  ") + instructions[pick(26)] + "\n";
      script += pick(2) ? "  jump\n" : "  choice \"1\"\n  branch\n";
      if (pick(5) == 0) script += "data\n  raw 0x94 0x00\n";
      if (!tablesPlaced && pick(4) == 0) {
        script += "link-table\nchart-table\n";
        tablesPlaced = true;
      }
    }
    if (pick(2)) script += "entry " + std::to_string(top) + " = k0\n";
    if (pick(2)) script += "linkrow " + std::to_string(top) + " = 5 6\n";
    SCOPED_TRACE(script);
    StoryFiles files;
    std::string error;
    if (!story::compileStory(script, files, &error)) continue;  // numbering clashes, row 0 conflicts
    ++built;
    std::string dumped = roundTrip(script);
    EXPECT_EQ(dumped.find("layout raw"), std::string::npos) << dumped;
    if (HasFailure()) break;
  }
  EXPECT_GE(built, 12);
}

// ---- damaged data

void writeIni(const std::string& dir, const std::string& body) {
  lmtest::writeText(dir + "/kirune.ini", "[DOROVANKA]\r\n" + body);
}

// Dumps `dir`, rebuilds, and checks that EVENT.BIN comes back unchanged.
std::string dumpAndRebuild(const std::string& dir) {
  std::string dumped = dumpOf(dir);
  buildInto(dumped, dir + "-again");
  EXPECT_EQ(lmtest::readFile(dir + "/EVENT.BIN"), lmtest::readFile(dir + "-again/EVENT.BIN")) << dumped;
  for (const char* key : {"CHART", "LINK", "MAX", "START", "CHAR", "NAME"})
    EXPECT_EQ(platform::getProfileInt("DOROVANKA", key, 0, (dir + "/kirune.ini").c_str()),
              platform::getProfileInt("DOROVANKA", key, 0, (dir + "-again/kirune.ini").c_str()))
        << key << "\n" << dumped;
  return dumped;
}

TEST(StoryDumper, TruncatedEventFile) {
  lmtest::ScratchDir scratch;
  buildInto(kEveryInstruction, "d");
  Bytes ev = lmtest::readFile("d/EVENT.BIN");
  // Cut inside the first message.
  size_t cut = 0;
  for (size_t i = 0; i + 1 < ev.size(); ++i)
    if (ev[i] == 0x81 && ev[i + 1] == 0x82) {
      cut = i + 5;
      break;
    }
  ASSERT_GT(cut, 0u);
  lmtest::writeFile("d/EVENT.BIN", Bytes(ev.begin(), ev.begin() + cut));
  std::string dumped = dumpAndRebuild("d");
  EXPECT_NE(dumped.find("raw 0x81 0x82"), std::string::npos) << dumped;
  // Cut inside the tables: only raw bytes are left.
  lmtest::writeFile("d/EVENT.BIN", Bytes(ev.begin(), ev.begin() + 30));
  dumped = dumpAndRebuild("d");
  EXPECT_NE(dumped.find("layout raw"), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("does not fit"), std::string::npos) << dumped;
}

TEST(StoryDumper, MaxLargerThanTheFile) {
  lmtest::ScratchDir scratch;
  lmtest::makeDirs("d");
  lmtest::writeFile("d/EVENT.BIN", Bytes{0, 0, 0, 16, 0x89, 0x83, 0});
  for (const char* max : {"MAX=1000\r\n", "MAX=2147483647\r\n", "MAX=-5\r\n"}) {
    writeIni("d", std::string("CHART=0\r\nLINK=4\r\nSTART=3\r\n") + max);
    std::string dumped = dumpAndRebuild("d");
    EXPECT_NE(dumped.find("layout raw"), std::string::npos) << dumped;
  }
  writeIni("d", "CHART=-4\r\nLINK=0\r\nMAX=1\r\n");
  EXPECT_NE(dumpAndRebuild("d").find("layout raw"), std::string::npos);
  // Tables that overlap.
  lmtest::writeFile("d/EVENT.BIN", Bytes(40, 0));
  writeIni("d", "CHART=0\r\nLINK=4\r\nMAX=2\r\n");
  EXPECT_NE(dumpAndRebuild("d").find("overlap"), std::string::npos);
}

TEST(StoryDumper, ChartOffsetsOutsideTheFile) {
  lmtest::ScratchDir scratch;
  lmtest::makeDirs("d");
  Bytes ev;
  lmtest::put32(ev, 0x7FFFFFFF);  // chart 0: far outside
  lmtest::put32(ev, 2);           // chart 1: inside the chart table
  lmtest::put32(ev, 40);          // chart 2: the stream
  lmtest::put32(ev, 41);          // chart 3: the end of the file
  for (int i = 0; i < 12; ++i) lmtest::put16(ev, i == 0 ? 2 : 0);
  // 16 + 24 = 40 bytes so far; one nop.
  ev.push_back(0x89);
  lmtest::writeFile("d/EVENT.BIN", ev);
  writeIni("d", "CHART=0\r\nLINK=16\r\nMAX=2\r\n");
  std::string dumped = dumpAndRebuild("d");
  EXPECT_NE(dumped.find("entry 0 = 0x7FFFFFFF"), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("entry 1 = 0x2"), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("linkrow 0 = 2"), std::string::npos) << dumped;
}

TEST(StoryDumper, MissingFilesAreReported) {
  lmtest::ScratchDir scratch;
  std::string script, error;
  EXPECT_FALSE(dumpStory("nowhere", script, &error));
  EXPECT_NE(error.find("kirune.ini"), std::string::npos);
  lmtest::makeDirs("d");
  writeIni("d", "MAX=0\r\n");
  EXPECT_FALSE(dumpStory("d", script, &error));
  EXPECT_NE(error.find("EVENT.BIN"), std::string::npos);
  // Without a start file the story still dumps.
  lmtest::writeFile("d/EVENT.BIN", Bytes{0x89});
  EXPECT_TRUE(dumpStory("d", script, &error)) << error;
  EXPECT_NE(script.find("ASTARTUP.BIN is missing"), std::string::npos);
}

// Random files with random table positions: the dump always compiles and
// gives the same EVENT.BIN and ASTARTUP.BIN back.
TEST(StoryDumper, RandomDataRoundTrips) {
  lmtest::ScratchDir scratch;
  lmtest::makeDirs("d");
  std::mt19937 rng(20240611);
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  for (int round = 0; round < 60; ++round) {
    Bytes ev;
    int size = pick(300);
    for (int i = 0; i < size; ++i) {
      int kind = pick(10);
      if (kind < 5)
        ev.push_back(static_cast<uint8_t>(0x80 + pick(0x16)));
      else if (kind < 7)
        ev.push_back(static_cast<uint8_t>(pick(4)));
      else if (kind < 8)
        ev.push_back(static_cast<uint8_t>(0x30 + pick(10)));
      else
        ev.push_back(static_cast<uint8_t>(pick(256)));
    }
    int max = pick(8);
    int chart = pick(size + 1), link = pick(size + 1);
    if (pick(2)) {
      chart = 0;
      link = 4 * max;
    }
    // Point some chart entries at real places.
    if (chart + 4 * max <= size)
      for (int c = 0; c < max; ++c)
        if (pick(2)) {
          uint32_t off = static_cast<uint32_t>(pick(size + 1));
          ev[chart + 4 * c] = 0;
          ev[chart + 4 * c + 1] = 0;
          ev[chart + 4 * c + 2] = static_cast<uint8_t>(off >> 8);
          ev[chart + 4 * c + 3] = static_cast<uint8_t>(off);
        }
    Bytes startup;
    for (int i = pick(20); i > 0; --i) startup.push_back(static_cast<uint8_t>(pick(3) ? 0x81 : pick(256)));
    lmtest::writeFile("d/EVENT.BIN", ev);
    lmtest::writeFile("d/ASTARTUP.BIN", startup);
    writeIni("d", "CHART=" + std::to_string(chart) + "\r\nLINK=" + std::to_string(link) + "\r\nMAX=" +
                      std::to_string(max) + "\r\nSTART=" + std::to_string(pick(4)) + "\r\nCHAR=" +
                      std::to_string(pick(3)) + "\r\nNAME=" + std::to_string(pick(2)) + "\r\n");
    SCOPED_TRACE("round " + std::to_string(round));
    dumpAndRebuild("d");
    EXPECT_EQ(lmtest::readFile("d/ASTARTUP.BIN"), lmtest::readFile("d-again/ASTARTUP.BIN"));
    if (HasFailure()) break;
  }
}

}  // namespace
