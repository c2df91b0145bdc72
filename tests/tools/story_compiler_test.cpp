// lmtool story build: the bytes of each instruction, the tables, the INI file,
// Shift-JIS text and the errors that name the script line.
#include <gtest/gtest.h>

#include <string>

#include "platform/Ini.h"
#include "support/TestSupport.h"
#include "tools/author/story_compiler.h"

namespace {

using story::Bytes;
using story::StoryFiles;

StoryFiles compileOk(const std::string& script) {
  StoryFiles f;
  std::string error;
  EXPECT_TRUE(story::compileStory(script, f, &error, "script.txt")) << error;
  return f;
}

std::string compileError(const std::string& script) {
  StoryFiles f;
  std::string error;
  EXPECT_FALSE(story::compileStory(script, f, &error, "script.txt")) << "compiled:\n" << script;
  return error;
}

uint32_t be32(const Bytes& b, size_t at) {
  return uint32_t(b.at(at)) << 24 | uint32_t(b.at(at + 1)) << 16 | uint32_t(b.at(at + 2)) << 8 | b.at(at + 3);
}

uint16_t be16(const Bytes& b, size_t at) { return uint16_t(b.at(at) << 8 | b.at(at + 1)); }

// The stream of the only chart of a script with MAX charts (tables first).
Bytes streamOf(const StoryFiles& f, size_t max) {
  return Bytes(f.event.begin() + 16 * max, f.event.end());
}

// One chart numbered 1 (MAX 2) holding `body`.
Bytes chartBytes(const std::string& body, const std::string& header = "character 1 \"A\"\ncharacter 2 \"B\"\n") {
  return streamOf(compileOk(header + "chart only -> only\n" + body), 2);
}

TEST(StoryCompiler, EncodesTheExampleStreamByteForByte) {
  Bytes got = chartBytes(
      "image E001\n"
      "window open\n"
      "voice 012\n"
      "speaker 2\n"
      "text \"あ\\nい\"\n"
      "jump\n");
  Bytes want = {0x8D, 0x00, 0x45, 0x30, 0x30, 0x31, 0x00,  // image, mode 0, E001, spare
                0x85,                                      // window open
                0x87, 0x30, 0x31, 0x32, 0x00,              // voice bank KI012
                0x80, 0x02,                                // speaker 2
                0x81, 0x82, 0xA0, 0x5C, 0x6E, 0x82, 0xA2, 0x00,
                0x83, 0x00};
  EXPECT_EQ(got, want);
}

TEST(StoryCompiler, EncodesEveryInstructionForm) {
  struct Case {
    const char* line;
    Bytes bytes;
  } cases[] = {
      {"speaker \"Ann\"", {0x80, 0xFF, 'A', 'n', 'n', 0}},
      {"say 1 \"hi\"", {0x80, 1, 0x81, 'h', 'i', 0}},
      {"text \"a\" \"b\\c\"", {0x81, 'a', 'b', 0x5C, 'c', 0}},
      {"text \"\\\\x\\x41\\\"\"", {0x81, 0x5C, 'x', 'A', '"', 0}},
      {"branch", {0x83, 1}},
      {"branch 7", {0x83, 7}},
      {"choice \"Y\" \"No\"", {0x84, 2, 'Y', 0, 'N', 'o', 0}},
      {"window close", {0x86}},
      {"voice next", {0x88}},
      {"voice next5", {0x95, 0, 0, 0, 0, 0}},
      {"voice next5 1 2 3 4 0xFF", {0x95, 1, 2, 3, 4, 0xFF}},
      {"nop", {0x89}},
      {"nop 9", {0x8A, 9}},
      {"nop8a 0x10", {0x8A, 0x10}},
      {"nop8b", {0x8B}},
      {"nop92 3", {0x92, 3}},
      {"face 3 0", {0x8C, 3, 1}},
      {"face 99 99", {0x8C, 99, 100}},
      {"face 2 hide", {0x8C, 2, 0}},
      {"image E012 drop", {0x8D, 2, 'E', '0', '1', '2', 0}},
      {"image \"ab_1\" 8", {0x8D, 8, 'a', 'b', '_', '1', 0}},
      {"image X001 pan-down", {0x8D, 7, 'X', '0', '0', '1', 0}},
      {"image remove", {0x8E}},
      {"shake", {0x8F, 0}},
      {"shake 1", {0x8F, 1}},
      {"fade out", {0x90, 0}},
      {"fade in", {0x90, 1}},
      {"fade white", {0x90, 2}},
      {"fade from-white", {0x90, 3}},
      {"fade black", {0x90, 0}},
      {"flash", {0x91, 0}},
      {"wait 0", {0x93, 0}},
      {"wait 255", {0x93, 255}},
      {"raw 0x82 0xFF 0 \"ab\"", {0x82, 0xFF, 0x00, 'a', 'b'}},
  };
  for (const auto& c : cases) EXPECT_EQ(chartBytes(std::string(c.line) + "\n"), c.bytes) << c.line;
}

TEST(StoryCompiler, LinesOfStringsContinueTheMessage) {
  EXPECT_EQ(chartBytes("say 1 \"ab\\n\"\n    \"cd\" \"e\"\n\n  # note\n  \"f\"\nnop\n"),
            (Bytes{0x80, 1, 0x81, 'a', 'b', 0x5C, 'n', 'c', 'd', 'e', 'f', 0, 0x89}));
  EXPECT_EQ(chartBytes("text \"a\"\n\"b\"\n"), (Bytes{0x81, 'a', 'b', 0}));
  std::string e = compileError("chart a\n  nop\n  \"stray\"\n");
  EXPECT_NE(e.find("script.txt:3: a line starts with a keyword"), std::string::npos) << e;
  e = compileError("chart a\n  text \"" + std::string(200, 'x') + "\"\n  \"" + std::string(60, 'x') + "\"\n");
  EXPECT_NE(e.find("script.txt:3: a message line is 260 bytes"), std::string::npos) << e;
}

TEST(StoryCompiler, CharacterAliasesNameSpeakersAndFaces) {
  Bytes got = chartBytes("say ken \"x\"\nface ken 4\n", "character 1 aiko \"A\"\ncharacter 2 ken \"K\"\n");
  EXPECT_EQ(got, (Bytes{0x80, 2, 0x81, 'x', 0, 0x8C, 2, 5}));
}

TEST(StoryCompiler, WritesTablesIniAndStartFile) {
  StoryFiles f = compileOk(
      "character 1 \"愛\"\n"
      "character 2 \"B\"\n"
      "evdir ev\n"
      "sysdir \"sys/\"\n"
      "syspcm SYS02.PCM\n"
      "freq 11025\n"
      "skip 1\n"
      "address 0x100\n"
      "chart first -> second\n"
      "  jump\n"
      "chart second = 4\n"
      "  flash\n");
  // MAX 5: chart table 20 bytes, link table 60, then the two streams.
  ASSERT_EQ(f.event.size(), 80u + 2 + 2);
  EXPECT_EQ(be32(f.event, 4 * 1), 80u + 0x100);      // chart 1
  EXPECT_EQ(be32(f.event, 4 * 4), 82u + 0x100);      // chart 4
  for (int unused : {0, 2, 3}) EXPECT_EQ(be32(f.event, 4 * unused), 80u + 0x100) << unused;
  EXPECT_EQ(be16(f.event, 20 + 0), 4u);  // row 0 = chart 1's successors
  for (size_t at = 22; at < 80; at += 2) EXPECT_EQ(be16(f.event, at), 0u) << at;
  EXPECT_EQ(f.ini,
            "[DOROVANKA]\r\nSYSDIR=sys\\\r\nEVDIR=ev\\\r\nSYSPCM=SYS02.PCM\r\nSKIP=1\r\nFREQ=11025\r\n"
            "CHART=0\r\nLINK=20\r\nMAX=5\r\nADDRESS=256\r\nSTART=1\r\nCHAR=2\r\nNAME=0\r\n");
  EXPECT_EQ(f.startup, (Bytes{0x81, 0x79, 0x88, 0xA4, 0x81, 0x7A, '\r', '\n', 0x81, 0x79, 'B', 0x81, 0x7A, '\r', '\n'}));
}

TEST(StoryCompiler, NumbersChartsFromOneAndAfterTheChartBefore) {
  StoryFiles f = compileOk(
      "chart a\n  nop\n"
      "chart b = 7\n  nop8b\n"
      "chart c\n  flash\n"
      "chart d = 2\n  wait 1\n"
      "start b\n");
  // a=1, b=7, c=8, d=2: MAX 9, streams in script order after 9*16 bytes.
  size_t base = 9 * 16;
  EXPECT_EQ(be32(f.event, 4 * 1), base);
  EXPECT_EQ(be32(f.event, 4 * 7), base + 1);
  EXPECT_EQ(be32(f.event, 4 * 8), base + 2);
  EXPECT_EQ(be32(f.event, 4 * 2), base + 4);
  EXPECT_NE(f.ini.find("START=7\r\n"), std::string::npos);
  EXPECT_NE(f.ini.find("MAX=9\r\n"), std::string::npos);
}

TEST(StoryCompiler, LinkRowOfChartRHoldsItsSuccessorsInRowRMinusOne) {
  StoryFiles f = compileOk(
      "chart a = 0 -> c\n  jump\n"
      "chart b = 3 -> a b c b a c\n  choice \"1\" \"2\" \"3\" \"4\" \"5\" \"6\"\n  branch\n"
      "chart c = 5\n  links a\n  jump\n");
  size_t link = 4 * 6;
  auto entry = [&](int row, int col) { return be16(f.event, link + 12 * row + 2 * col); };
  EXPECT_EQ(entry(0, 0), 5);  // chart 0 uses row 0
  EXPECT_EQ(entry(2, 0), 0);  // chart 3 -> row 2
  EXPECT_EQ(entry(2, 1), 3);
  EXPECT_EQ(entry(2, 2), 5);
  EXPECT_EQ(entry(2, 3), 3);
  EXPECT_EQ(entry(2, 4), 0);
  EXPECT_EQ(entry(2, 5), 5);
  EXPECT_EQ(entry(4, 0), 0);  // chart 5 -> row 4
  EXPECT_EQ(entry(1, 0), 0);  // nobody's row
}

TEST(StoryCompiler, ChartsZeroAndOneShareRowZero) {
  // The same successors on both are fine.
  compileOk("chart a = 0 -> b\n  jump\nchart b = 1 -> b\n  jump\n");
  // One of them declaring is enough for both to jump.
  compileOk("chart a = 0\n  jump\nchart b = 1 -> a\n  jump\n");
  std::string e = compileError("chart a = 0 -> a\n  jump\nchart b = 1 -> b\n  jump\n");
  EXPECT_NE(e.find("script.txt:3: "), std::string::npos) << e;
  EXPECT_NE(e.find("share row 0"), std::string::npos) << e;
}

TEST(StoryCompiler, ChecksThatJumpsAndBranchesHaveSuccessors) {
  EXPECT_NE(compileError("chart a\n  nop\n  jump\n").find("script.txt:3: chart 'a' jumps but declares no successor"),
            std::string::npos);
  std::string e = compileError("chart a -> a b\n  choice \"x\" \"y\" \"z\"\n  branch\nchart b\n");
  EXPECT_NE(e.find("script.txt:3: branch after a choice of 3 answers needs 3 successors"), std::string::npos)
      << e;
  EXPECT_NE(compileError("chart a -> nowhere\n").find("script.txt:1: unknown chart 'nowhere'"), std::string::npos);
  EXPECT_NE(compileError("chart a -> 9\n").find("chart 9 is not defined"), std::string::npos);
}

TEST(StoryCompiler, ErrorsNameTheLine) {
  struct Case {
    const char* script;
    const char* message;
  } cases[] = {
      {"chart a\n\n# note\n  fdae 3\n", "script.txt:4: unknown instruction 'fdae'"},
      {"nop\n", "script.txt:1: instruction outside a chart"},
      {"chart a\n  face 100 0\n", "script.txt:2: face character 100 is outside 0..99"},
      {"chart a\n  face 1 100\n", "script.txt:2: face expression 100 is outside 0..99"},
      {"chart a\n  choice \"1\" \"2\" \"3\" \"4\" \"5\" \"6\" \"7\"\n", "script.txt:2: a choice has 1 to 6 answers"},
      {"chart a\n  choice\n", "script.txt:2: a choice has 1 to 6 answers"},
      {"chart a\n  speaker 1\n", "script.txt:2: speaker 1 is not a declared character (none declared)"},
      {"character 1 \"A\"\nchart a\n  speaker 2\n", "script.txt:3: speaker 2 is not a declared character (1..1)"},
      {"chart a\n  speaker 255\n", "script.txt:2: speaker 255 is the inline-name form"},
      {"chart a\n  text \"abc\n", "script.txt:2: string is not closed"},
      {"chart a\n  text \"\\q\"\n", "script.txt:2: unknown escape '\\q'"},
      {"chart a\n  text \"\\x00\"\n", "script.txt:2: \\x00 would end the string early"},
      {"chart a\n  text \"ends in a lead byte \\x82\"\n", "script.txt:2: message ends inside a two-byte character"},
      {"chart a\n  image E01\n", "script.txt:2: image name 'E01' must have exactly 4 characters"},
      {"chart a\n  image E001 spin\n", "script.txt:2: image mode must be a number, not 'spin'"},
      {"chart a\n  image E001 9\n", "script.txt:2: image mode 9 is outside 0..8"},
      {"chart a\n  image \"E 01\"\n", "script.txt:2: image name needs four letters or digits"},
      {"chart a\n  voice 12\n", "script.txt:2: voice bank name '12' must have exactly 3 characters"},
      {"chart a\n  fade 4\n", "script.txt:2: fade 4 is outside 0..3"},
      {"chart a\n  shake 2\n", "script.txt:2: shake operand 2 is outside 0..1"},
      {"chart a\n  wait 256\n", "script.txt:2: wait operand 256 is outside 0..255"},
      {"chart a\n  raw 256\n", "script.txt:2: byte 256 is outside 0..255"},
      {"chart a\n  window shut\n", "script.txt:2: usage: window open|close"},
      {"chart a\nchart a\n", "script.txt:2: chart 'a' is defined twice"},
      {"chart a = 3\nchart b = 3\n", "script.txt:2: chart number 3 is used twice"},
      {"character 2 \"B\"\n", "script.txt:1: characters are numbered 1, 2, 3"},
      {"max 2\nchart a = 5\n", "script.txt:1: max 2 is below 6"},
      {"chart a\n  say nobody \"x\"\n", "script.txt:2: unknown character 'nobody'"},
      {"\"x\"\n", "script.txt:1: a line starts with a keyword"},
  };
  for (const auto& c : cases) {
    std::string e = compileError(c.script);
    EXPECT_NE(e.find(c.message), std::string::npos) << "script:\n" << c.script << "\nerror: " << e;
  }
}

TEST(StoryCompiler, ReportsSeveralErrorsAtOnce) {
  std::string e = compileError("chart a\n  fdae\n  wait 300\n  nop\n  shake 5\n");
  EXPECT_NE(e.find("script.txt:2:"), std::string::npos);
  EXPECT_NE(e.find("\nscript.txt:3:"), std::string::npos);
  EXPECT_NE(e.find("\nscript.txt:5:"), std::string::npos);
  EXPECT_EQ(e.find("script.txt:4:"), std::string::npos);
}

TEST(StoryCompiler, EnforcesThePlayersBufferSizes) {
  std::string n49(49, 'n'), n50(50, 'n'), n251(251, 'i'), n252(252, 'i'), l255(255, 'l'), l256(256, 'l');
  compileOk("character 1 \"" + n49 + "\"\n");
  EXPECT_NE(compileError("character 1 \"" + n50 + "\"\n").find("script.txt:1: character name is 50 bytes"),
            std::string::npos);
  compileOk("chart a\n  choice \"" + n49 + "\"\n");
  EXPECT_NE(compileError("chart a\n  choice \"" + n50 + "\"\n").find("choice answer is 50 bytes"), std::string::npos);
  compileOk("chart a\n  speaker \"" + n251 + "\"\n");
  EXPECT_NE(compileError("chart a\n  speaker \"" + n252 + "\"\n").find("speaker name is 252 bytes"),
            std::string::npos);
  // 25 two-byte characters are 50 bytes.
  std::string kana;
  for (int i = 0; i < 25; ++i) kana += "あ";
  EXPECT_NE(compileError("character 1 \"" + kana + "\"\n").find("50 bytes"), std::string::npos);
  // A message line holds 255 bytes; line breaks start new lines.
  compileOk("chart a\n  text \"" + l255 + "\\n" + l255 + "\"\n");
  EXPECT_NE(compileError("chart a\n  text \"" + l256 + "\"\n").find("a message line is 256 bytes"),
            std::string::npos);
}

TEST(StoryCompiler, WarnsAboutLinesTheWindowClips) {
  StoryFiles f = compileOk("chart a\n  text \"" + std::string(37, 'w') + "\\n" + std::string(36, 'w') + "\"\n");
  ASSERT_EQ(f.warnings.size(), 1u);
  EXPECT_NE(f.warnings[0].find("script.txt:2: warning:"), std::string::npos);
  EXPECT_TRUE(compileOk("chart a\n  text \"" + std::string(36, 'w') + "\"\n").warnings.empty());
}

TEST(StoryCompiler, ConvertsTextToShiftJis) {
  EXPECT_EQ(chartBytes("text \"あ\"\n"), (Bytes{0x81, 0x82, 0xA0, 0}));
  // Code page 932 and plain Shift-JIS forms of the wave dash both give 0x81 0x60.
  EXPECT_EQ(chartBytes("text \"〜～\"\n"), (Bytes{0x81, 0x81, 0x60, 0x81, 0x60, 0}));
  // A trail byte 0x5C (ソ) is no escape.
  EXPECT_EQ(chartBytes("text \"ソn\"\n"), (Bytes{0x81, 0x83, 0x5C, 'n', 0}));
}

TEST(StoryCompiler, HandlesBracketsInNames) {
  StoryFiles f = compileOk("character 1 \"【A\"\n");
  EXPECT_EQ(f.startup, (Bytes{0x81, 0x79, 0x81, 0x79, 'A', 0x81, 0x7A, '\r', '\n'}));
  std::string e = compileError("character 1 \"【A】\"\n");
  EXPECT_NE(e.find("script.txt:1: character name contains '】'"), std::string::npos) << e;
}

TEST(StoryCompiler, RefusesTextThePlayerCannotShow) {
  std::string e = compileError("chart a\n\n  text \"ok 😀\"\n");
  EXPECT_NE(e.find("script.txt:3: message: cannot convert '😀' (U+1F600) to Shift-JIS"), std::string::npos) << e;
  e = compileError("chart a\n  choice \"ｱｲｳ\"\n");
  EXPECT_NE(e.find("script.txt:2: choice answer: half-width katakana"), std::string::npos) << e;
  e = compileError("chart a\n  text \"\xC3\x28\"\n");
  EXPECT_NE(e.find("not valid UTF-8"), std::string::npos) << e;
}

// One pass names every character of a line that has no Shift-JIS form, each
// once; a choice's answers are all looked at.
TEST(StoryCompiler, NamesEveryUnconvertibleCharacterOfALine) {
  std::string e = compileError("chart a\n  text \"😀 and 🎉, again 😀, ｱ\"\n");
  EXPECT_NE(e.find("script.txt:2: message: cannot convert '😀' (U+1F600), '🎉' (U+1F389) to Shift-JIS; "
                   "half-width katakana 'ｱ' (U+FF71) is not shown"),
            std::string::npos)
      << e;
  e = compileError("chart a\n  choice \"ok\" \"🎉\" \"😀\"\n");
  EXPECT_NE(e.find("script.txt:2: choice answer: cannot convert '🎉' (U+1F389) to Shift-JIS"), std::string::npos) << e;
  EXPECT_NE(e.find("script.txt:2: choice answer: cannot convert '😀' (U+1F600) to Shift-JIS"), std::string::npos) << e;
}

TEST(StoryCompiler, DirectoriesEndWithABackslash) {
  StoryFiles f = compileOk("rootdir data\npcmdir \"a/b\"\nfacedir \"f\\\\\"\nevdir .\n");
  EXPECT_NE(f.ini.find("ROOTDIR=data\\\r\n"), std::string::npos);
  EXPECT_NE(f.ini.find("PCMDIR=a\\b\\\r\n"), std::string::npos);
  EXPECT_NE(f.ini.find("FACEDIR=f\\\r\n"), std::string::npos);
  EXPECT_NE(f.ini.find("EVDIR=.\\\r\n"), std::string::npos);
  EXPECT_EQ(f.rootDir, "data\\");
  EXPECT_NE(compileError("sysdir \" x\"\n").find("script.txt:1:"), std::string::npos);
}

TEST(StoryCompiler, BuildWritesAReadyWorkingDirectory) {
  lmtest::ScratchDir dir;
  std::string error;
  ASSERT_TRUE(buildStory("rootdir data\ncharacter 1 \"A\"\nchart a\n  say 1 \"x\"\n", "out", &error)) << error;
  EXPECT_TRUE(lmtest::fileExists("out/kirune.ini"));
  EXPECT_TRUE(lmtest::fileExists("out/data/EVENT.BIN"));
  EXPECT_TRUE(lmtest::fileExists("out/data/ASTARTUP.BIN"));
  EXPECT_EQ(platform::getProfileInt("DOROVANKA", "MAX", -1, "out/kirune.ini"), 2);
  char root[64];
  platform::getProfileString("DOROVANKA", "ROOTDIR", "", root, sizeof root, "out/kirune.ini");
  EXPECT_STREQ(root, "data\\");
  // Failure leaves a message and no files.
  EXPECT_FALSE(buildStory("chart a\n  bogus\n", "bad", &error));
  EXPECT_NE(error.find("script:2: unknown instruction 'bogus'"), std::string::npos) << error;
  EXPECT_FALSE(lmtest::fileExists("bad/kirune.ini"));
}

TEST(StoryCompiler, EmptyScriptGivesAnEmptyStory) {
  StoryFiles f = compileOk("# nothing\n");
  EXPECT_TRUE(f.event.empty());
  EXPECT_TRUE(f.startup.empty());
  EXPECT_NE(f.ini.find("MAX=0\r\n"), std::string::npos);
}

}  // namespace
