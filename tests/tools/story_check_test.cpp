// lmtool story check: a clean story has nothing to report; each fault, made
// one at a time in a small story built with the project's tools, is found,
// with its script line and the right severity.
#include <gtest/gtest.h>

#include "MiniStory.h"
#include "tools/author/story_check.h"

namespace lmtest {
namespace {

using story::CheckReport;
using story::Finding;

class StoryCheck : public ::testing::Test {
 protected:
  ScratchDir dir;

  // The one finding of the story in the working directory, formatted with the script's lines.
  std::string only(const story::StoryFiles& files, bool error, const std::string& kind) {
    CheckReport r = story::checkStory(".");
    std::string all;
    for (const Finding& f : r.findings) all += story::formatFinding(f, &files) + "\n";
    EXPECT_EQ(r.findings.size(), 1u) << all;
    if (r.findings.empty()) return "";
    EXPECT_EQ(r.findings[0].error, error) << all;
    EXPECT_EQ(r.findings[0].kind, kind) << all;
    return story::formatFinding(r.findings[0], &files);
  }
};

TEST_F(StoryCheck, ACleanStoryHasNothingToReport) {
  writeMiniStory();
  CheckReport r = story::checkStory(".");
  for (const Finding& f : r.findings) ADD_FAILURE() << story::formatFinding(f, nullptr);
  EXPECT_EQ(r.errors(), 0);
}

TEST_F(StoryCheck, MissingAndDamagedPicturesNameTheirLine) {
  story::StoryFiles files = writeMiniStory();
  std::remove("ev/E001.PF1");
  std::string f = only(files, true, "missing-file");
  EXPECT_EQ(f.rfind("story.txt:8: error: the picture E001.PF1 in 'ev/' (EVDIR) is missing", 0), 0u) << f;
  EXPECT_NE(f.find("lmtool pf1 encode ev/E001.PF1"), std::string::npos) << f;

  Bytes pic = solidPicture(320, 240);
  pic.resize(pic.size() - 100);
  writeFile("ev/E001.PF1", pic);
  f = only(files, true, "bad-file");
  EXPECT_EQ(f.rfind("story.txt:8: error: the picture E001.PF1 is damaged", 0), 0u) << f;

  writeFile("ev/E001.PF1", solidPicture(320, 240));
  writeFile("ev/E002.PF1", solidPicture(320, 240));  // one block: too short to pan
  f = only(files, false, "picture-size");
  EXPECT_EQ(f.rfind("story.txt:18: warning: the panning picture E002.PF1 is 320 x 240; it is shown as 320 x 480", 0), 0u)
      << f;
}

TEST_F(StoryCheck, WithoutTheScriptTheChartAndOffsetAreNamed) {
  story::StoryFiles files = writeMiniStory();
  std::remove("ev/E002.PF1");
  CheckReport r = story::checkStory(".");
  ASSERT_EQ(r.findings.size(), 1u);
  const Finding& f = r.findings[0];
  EXPECT_EQ(f.chart, 2);
  ASSERT_GE(f.offset, 0);
  EXPECT_EQ(files.event.at(static_cast<size_t>(f.offset)), 0x8D) << "the image instruction";
  char where[64];
  std::snprintf(where, sizeof where, "chart 2, EVENT.BIN offset 0x%lX: error: ", f.offset);
  EXPECT_EQ(story::formatFinding(f, nullptr).rfind(where, 0), 0u) << story::formatFinding(f, nullptr);
}

TEST_F(StoryCheck, FacesNeedSevenLayers) {
  story::StoryFiles files = writeMiniStory();
  writeFile("face/FACE0100.PF1", solidPicture(16, 16, 6));
  std::string f = only(files, true, "bad-file");
  EXPECT_EQ(f.rfind("story.txt:10: error: the face FACE0100.PF1 has 6 layers", 0), 0u) << f;
  std::remove("face/FACE0100.PF1");
  f = only(files, true, "missing-file");
  EXPECT_EQ(f.rfind("story.txt:10: error: the face FACE0100.PF1 in 'face/' (FACEDIR) is missing", 0), 0u) << f;
}

TEST_F(StoryCheck, VoiceBanksAndTheirClips) {
  story::StoryFiles files = writeMiniStory(withLine(kMiniScript, 14, "voice next"));
  std::string f = only(files, false, "voice-clip");
  EXPECT_EQ(f.rfind("story.txt:14: warning: this plays clip 2 of KI001.PCM, which has 2 clips", 0), 0u) << f;

  files = writeMiniStory();
  writeFile("voice/KI001.PCM", Bytes{0, 0, 0, 0, 0, 0, 0, 9});  // nine clips promised, none there
  f = only(files, true, "bad-file");
  EXPECT_EQ(f.rfind("story.txt:11: error: the voice bank KI001.PCM does not parse", 0), 0u) << f;
  std::remove("voice/KI001.PCM");
  f = only(files, true, "missing-file");
  EXPECT_EQ(f.rfind("story.txt:11: error: the voice bank KI001.PCM in the data directory (SYSDIR) or 'voice/' (PCMDIR) is missing", 0), 0u)
      << f;
}

TEST_F(StoryCheck, SystemFilesTheScreensAndTheBankNeed) {
  story::StoryFiles files = writeMiniStory();
  std::remove("TITLE00.PF1");
  std::string f = only(files, true, "missing-file");
  EXPECT_EQ(f.rfind("TITLE00.PF1: error: the screen picture TITLE00.PF1 in the data directory (SYSDIR) is missing", 0),
            0u)
      << f;
  // With SKIP the screens never show.
  files = writeMiniStory(std::string("skip 1\n") + kMiniScript);
  EXPECT_TRUE(story::checkStory(".").findings.empty());

  files = writeMiniStory();
  writeFile("SYS01.PCM", bankOf(11));
  f = only(files, true, "bank-clips");
  EXPECT_NE(f.find("has 11 clips; the player plays clips 1 (decide), 2 (cursor) and 11"), std::string::npos) << f;
}

TEST_F(StoryCheck, CharactersTheFontDrawsAsNothing) {
  story::StoryFiles files = writeMiniStory(withLine(kMiniScript, 12, "say hana \"Hello ① there\""));
  std::string f = only(files, false, "blank-glyph");
  EXPECT_EQ(f.rfind("story.txt:12: warning: the message has a character that FONT.FON draws as nothing: '①' (0x8740)", 0),
            0u)
      << f;
  // Spaces are blank on purpose; a name is checked as well.
  files = writeMiniStory(withLine(kMiniScript, 6, "character 1 hana \"Ha　na ①\""));
  f = only(files, false, "blank-glyph");
  EXPECT_NE(f.find("the name of character 1 has a character that FONT.FON draws as nothing: '①'"), std::string::npos)
      << f;

  files = writeMiniStory();
  std::remove("FONT.FON");
  f = only(files, true, "missing-file");
  EXPECT_NE(f.find("the font FONT.FON in the data directory (SYSDIR) is missing"), std::string::npos) << f;
}

TEST_F(StoryCheck, TextWiderThanTheWindowAndHiddenByAChoice) {
  // 37 bytes on one line, made of two messages (the compiler cannot see it).
  std::string script = withLine(kMiniScript, 21, "text \"\\c12345678901234567890\"\ntext \"12345678901234567\"");
  story::StoryFiles files = writeMiniStory(script);
  std::string f = only(files, false, "wide-line");
  EXPECT_EQ(f.rfind("story.txt:22: warning: a text line grows to 37 bytes; the window shows 36", 0), 0u) << f;

  const std::string wide = "choice \"To the left side  \" \"To the right side\"";
  files = writeMiniStory(withLine(withLine(kMiniScript, 14, "text \"\\cWhere to go now?\""), 15, wide));
  f = only(files, false, "choice-covers-text");
  EXPECT_EQ(f.rfind("story.txt:15: warning: the choice window covers text line 1 (\"Where to go now?\")", 0), 0u) << f;
  // On the second line the question still loses its top rows; beside a narrow window it shows.
  files = writeMiniStory(withLine(withLine(kMiniScript, 14, "text \"\\c\\nWhere to go now?\""), 15, wide));
  only(files, false, "choice-covers-text");
  files = writeMiniStory(withLine(withLine(kMiniScript, 14, "text \"\\cWhere?\""), 15, "choice \"L\" \"R\""));
  EXPECT_TRUE(story::checkStory(".").findings.empty());
}

TEST_F(StoryCheck, ChoiceWindowsSizedByTheirFirstAnswer) {
  story::StoryFiles files = writeMiniStory(withLine(kMiniScript, 15, "choice \"Left\" \"Right\""));
  std::string f = only(files, false, "narrow-choice");
  EXPECT_EQ(f.rfind("story.txt:15: warning: answer 2 (\"Right\") is wider than the first answer", 0), 0u) << f;
  files = writeMiniStory(withLine(kMiniScript, 15, "choice \"" + std::string(40, 'x') + "\" \"Right\""));
  f = only(files, false, "wide-choice");
  EXPECT_NE(f.find("the choice window is wider than the screen"), std::string::npos) << f;
  // A choice as wide as this reaches over a face on either side.
  files = writeMiniStory(withLine(withLine(kMiniScript, 15, "choice \"" + std::string(28, 'x') + "\" \"Right\""), 10,
                                  "face hana 0\nface hana hide\nface 2 0"));
  writeFile("face/FACE0200.PF1", solidPicture(64, 80, 7));
  f = only(files, false, "choice-covers-face");
  EXPECT_NE(f.find("covers part of the face FACE0200.PF1 (columns 253 to 316)"), std::string::npos) << f;
}

TEST_F(StoryCheck, UnreachedChartsBrokenLinksAndBadBytes) {
  story::StoryFiles files = writeMiniStory(std::string(kMiniScript) + "chart lost\ntext \"\\cNobody comes here.\"\n");
  std::string f = only(files, false, "unreached");
  EXPECT_EQ(f.rfind("story.txt:25: warning: chart 5 is never reached from START (chart 1)", 0), 0u) << f;

  files = writeMiniStory(withLine(kMiniScript, 22, "raw 0x82"));
  f = only(files, true, "chart-error");
  EXPECT_EQ(f.rfind("story.txt:22: error: byte 0x82 is no instruction: the player stops with CHART ERROR 0x82", 0), 0u)
      << f;

  // Chart three's successor patched to chart 999, far past the table.
  files = writeMiniStory();
  Bytes ev = readFile("EVENT.BIN");
  const size_t row = 3 - 1, linkPos = 4 * 5;  // MAX 5: chart table then link table
  ev[linkPos + row * 12] = 0x03;
  ev[linkPos + row * 12 + 1] = 0xE7;
  writeFile("EVENT.BIN", ev);
  CheckReport r = story::checkStory(".");
  ASSERT_EQ(r.findings.size(), 1u);
  EXPECT_TRUE(r.findings[0].error);
  EXPECT_EQ(r.findings[0].kind, "bad-link");
  EXPECT_NE(r.findings[0].message.find("chart 999, a successor of chart 3, has no stream"), std::string::npos)
      << r.findings[0].message;
}

TEST_F(StoryCheck, ADirectoryWithoutAStory) {
  makeDirs("empty");
  CheckReport r = story::checkStory("empty");
  ASSERT_EQ(r.findings.size(), 1u);
  EXPECT_EQ(r.errors(), 1);
  EXPECT_NE(r.findings[0].message.find("holds no readable kirune.ini"), std::string::npos);
  writeText("empty/kirune.ini", "[DOROVANKA]\n");
  r = story::checkStory("empty");
  ASSERT_GE(r.findings.size(), 1u);
  EXPECT_NE(story::formatFinding(r.findings[0], nullptr).find("EVENT.BIN is missing"), std::string::npos);
}

}  // namespace
}  // namespace lmtest
