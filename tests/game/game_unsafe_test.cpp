// Scenario data outside what the format defines: the story stops or carries
// on safely, and no step runs without bound.
#include <cstring>
#include <string>

#include "tests/game/GameFixture.h"

using namespace gametest;

namespace {

class UnsafeInputTest : public GameTest {
 protected:
  // Steps once with stderr captured; returns what was written.
  std::string stepCapturing() {
    testing::internal::CaptureStderr();
    step();
    return testing::internal::GetCapturedStderr();
  }
};

TEST_F(UnsafeInputTest, SpeakerNumbersWithoutANameShowEmptyBrackets) {
  startStream({0x80, 0x00, 0x80, 0x03, 0x80, 0xFE});
  for (int i = 0; i < 3; ++i) {
    steps(2);
    ASSERT_EQ(game->phase, 1);
    EXPECT_EQ(std::string(game->text->data[0]), bracketed(""));
    EXPECT_EQ(game->text->line, 1);
  }
}

TEST_F(UnsafeInputTest, LongInlineNameIsCutToFitTheLine) {
  Bytes c{0x80, 0xFF};
  putStrZ(c, std::string(300, 'n'));
  c.push_back(0x89);
  startStream(c);
  steps(2);
  const std::string line = game->text->data[0];
  EXPECT_EQ(line.size(), 255u);
  EXPECT_EQ(line, bracketed(std::string(251, 'n')));
  step();
  EXPECT_EQ(game->phase, 0x89);  // the rest of the name was read past
}

TEST_F(UnsafeInputTest, LongChoiceTextsAreCutAndExtraItemsDropped) {
  Bytes c{0x84, 0x08};
  putStrZ(c, std::string(80, 'a'));
  for (int i = 1; i < 8; ++i) putStrZ(c, "item" + std::to_string(i));
  c.push_back(0x89);
  startStream(c);
  steps(2);
  ASSERT_EQ(game->phase, 50);
  ASSERT_NE(game->select, nullptr);
  EXPECT_EQ(game->select->max, 6);
  EXPECT_EQ(std::string(game->select->item[0]), std::string(49, 'a'));
  EXPECT_STREQ(game->select->item[5], "item5");
  press(KEY_DECIDE);
  step();
  EXPECT_EQ(game->phase, 0x89);
}

TEST_F(UnsafeInputTest, ChoiceOfNoItemsWaitsForDecideWithAnEmptyWindow) {
  startStream({0x84, 0x00, 0x83, 0x01});
  steps(2);
  ASSERT_EQ(game->phase, 50);
  EXPECT_EQ(game->select->max, 0);
  press(KEY_DOWN);
  step();
  EXPECT_EQ(game->phase, 50);
  press(KEY_DECIDE);
  EXPECT_EQ(game->phase, 1);
  EXPECT_EQ(Game::stepState().result, 0);
}

TEST_F(UnsafeInputTest, LargeFaceNumbersMakeALongerNameSafely) {
  startStream({0x8C, 0xFF, 0xFF, 0x8C, 100, 1});
  steps(2);
  EXPECT_TRUE(wasOpened("FACE255254.PF1"));
  EXPECT_STREQ(Game::stepState().facename, "FACE255254.PF1");
  stepsWhile(22);
  steps(2);
  EXPECT_TRUE(wasOpened("FACE10000.PF1"));
}

TEST_F(UnsafeInputTest, LinkToAChartOutsideTheTableIsAChartError) {
  Scenario s;
  s.charts = {{0x83, 0x00}};
  s.links = {{9, 0, 0, 0, 0, 0}};
  s.names = {"A"};
  start(s);
  steps(2);
  EXPECT_EQ(game->chart, 9);
  EXPECT_NE(stepCapturing().find("ERROR: CHART ERROR 0x09"), std::string::npos);
  EXPECT_EQ(game->phase, -1);
}

TEST_F(UnsafeInputTest, LinkTableOutsideTheFileIsAChartError) {
  Scenario s;
  s.charts = {{0x83, 0x00}, {0x89}};
  s.names = {"A"};
  s.write();
  const long size = static_cast<long>(lmtest::readFile("EVENT.BIN").size());
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nCHART=16\nLINK=" + std::to_string(size - 1) + "\nMAX=2\nCHAR=1\nNAME=7\n");
  game = std::make_unique<Game>();
  ASSERT_EQ(game->phase, 0);
  step();
  ASSERT_EQ(game->phase, 0x83);
  EXPECT_NE(stepCapturing().find("CHART ERROR 0x00"), std::string::npos);
  EXPECT_EQ(game->phase, -1);
}

TEST_F(UnsafeInputTest, StartOutsideTheTableIsAChartError) {
  Scenario s;
  s.charts = {{0x89}};
  s.names = {"A"};
  s.start = 7;
  start(s);
  EXPECT_NE(stepCapturing().find("CHART ERROR 0x07"), std::string::npos);
  EXPECT_EQ(game->phase, -1);
}

TEST_F(UnsafeInputTest, ChartOffsetsOutsideTheFileAreChartErrors) {
  for (long address : {-100000L, 100000L}) {
    SCOPED_TRACE(address);
    Scenario s;
    s.charts = {{0x89}};
    s.names = {"A"};
    s.address = address;
    s.write();
    // Entries were written with `address` added; read them back with none.
    lmtest::writeText("kirune.ini", "[DOROVANKA]\nCHART=16\nLINK=20\nMAX=1\nCHAR=1\nNAME=7\n");
    game = std::make_unique<Game>();
    EXPECT_NE(stepCapturing().find("CHART ERROR 0x00"), std::string::npos);
    EXPECT_EQ(game->phase, -1);
  }
}

TEST_F(UnsafeInputTest, NoChartsAtAllIsAChartError) {
  Scenario s;
  s.charts = {{0x89}};
  s.names = {"A"};
  s.max = 0;
  start(s);
  EXPECT_NE(stepCapturing().find("CHART ERROR 0x00"), std::string::npos);
  EXPECT_EQ(game->phase, -1);
}

TEST_F(UnsafeInputTest, MessageWithoutWindowShowsOneAtFullSize) {
  startStream({0x81, 'h', 'i', 0x00});
  steps(3);
  ASSERT_NE(game->text, nullptr);
  EXPECT_EQ(game->text->width, 147);
  EXPECT_STREQ(game->text->data[0], "hi");
  EXPECT_EQ(game->phase, 21);
}

TEST_F(UnsafeInputTest, EndOfFileInsideOperandsStopsSilently) {
  const std::vector<Bytes> streams = {
      {0x8D, 0x02, 'E'}, {0x80}, {0x80, 0xFF, 'Z', 'e'}, {0x84, 0x03, 'o', 'n', 'e', 0x00}, {0x8C, 0x01},
      {0x87, '0', '1'},  {0x83}, {0x93},                  {0x95, 1, 2},                    {0x90}};
  for (const Bytes& b : streams) {
    SCOPED_TRACE(static_cast<int>(b[0]));
    startStream(b);
    step();
    testing::internal::CaptureStderr();
    step();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(game->phase, -1);
    EXPECT_EQ(game->select, nullptr);
    EXPECT_EQ(game->pf, nullptr);
    EXPECT_EQ(game->face, nullptr);
  }
}

TEST_F(UnsafeInputTest, EndOfFileInsideAMessageStops) {
  for (const Bytes& b : {Bytes{0x81, 'a', 'b'}, Bytes{0x81, 'a', 0x82}, Bytes{0x81, 0x5C}}) {
    startStream(b);
    steps(3);
    EXPECT_EQ(game->phase, -1);
  }
}

TEST_F(UnsafeInputTest, MessagePastTheLineBufferKeepsTheFirst255Bytes) {
  Bytes c{0x80, 0x01, 0x81};
  putStrZ(c, std::string(400, 'm'));
  startStream(c);
  steps(4);
  const int typed = stepsUntil(21, 100);
  EXPECT_EQ(typed, 51);  // 401 units, eight a step
  EXPECT_EQ(std::strlen(game->text->data[1]), 255u);
}

TEST_F(UnsafeInputTest, FetchedStatesWithoutTheirObjectsMoveOn) {
  // 0x18 opens a missing window, 0x32 waits on a missing choice window,
  // 0x16 grows a missing face, 0x17 shrinks it.
  startStream({0x18, 0x32, 0x16, 0x17, 0x19, 0x89});
  step();
  EXPECT_EQ(game->phase, 24);
  step();
  EXPECT_EQ(game->phase, 1);
  step();
  EXPECT_EQ(game->phase, 50);
  step();
  EXPECT_EQ(game->phase, 1);
  step();
  EXPECT_EQ(game->phase, 22);
  EXPECT_LE(stepsWhile(22), 14);
  EXPECT_EQ(game->size, 128);
  step();
  EXPECT_EQ(stepsWhile(23), 13);
  steps(2);
  EXPECT_EQ(game->phase, 1);
  step();
  EXPECT_EQ(game->phase, 0x89);
}

TEST_F(UnsafeInputTest, OtherOperandsFollowThePhaseArithmetic) {
  // 0x90 4 enters the timed wait; 0x90 0xFF leads outside every state.
  startStream({0x93, 2, 0x90, 4, 0x90, 0xFF});
  steps(2);
  stepsWhile(20);
  steps(2);
  EXPECT_EQ(game->phase, 20);
  EXPECT_EQ(stepsWhile(20), 1);
  steps(2);
  EXPECT_EQ(game->phase, 0x10F);
  EXPECT_NE(stepCapturing().find("CHART ERROR 0x10F"), std::string::npos);
}

TEST_F(UnsafeInputTest, ImageModeNineKeepsTheOldImageUntilTheNextChange) {
  lmtest::writeFile("E001.PF1", solidPf1(8, 8, 248, 0, 0));
  startStream({0x8D, 0, 'E', '0', '0', '1', 0, 0x8D, 9, 'E', '0', '0', '1', 0, 0x8D, 1, 'E', '0', '0', '1', 0});
  steps(4);
  EXPECT_EQ(game->phase, 41);  // the flash, by the arithmetic
  EXPECT_NE(game->oldPf, nullptr);
  ZegDevice zeg(320, 240, 24);
  fillScreen(zeg, 1, 2, 3);
  game->draw(&zeg);
  EXPECT_EQ(pixel(zeg, 5, 5), (Rgb{1, 2, 3}));
  stepsWhile(41);
  steps(2);
  EXPECT_EQ(game->phase, 33);
  stepsWhile(33);
  EXPECT_EQ(game->oldPf, nullptr);
}

TEST_F(UnsafeInputTest, EffectsEnteredWithLeftOverCountersStillEnd) {
  // A slide (0x22) right after a finished slide, a flash (0x29) right after
  // a shake: their counters are already past the end.
  lmtest::writeFile("E001.PF1", solidPf1(8, 8, 248, 0, 0));
  startStream({0x8D, 2, 'E', '0', '0', '1', 0, 0x22, 0x8F, 0, 0x29, 0x89});
  steps(2);
  stepsWhile(34);
  EXPECT_EQ(game->scrY, 240);
  step();
  EXPECT_EQ(game->phase, 34);
  EXPECT_EQ(stepsWhile(34), 1);
  steps(2);
  stepsWhile(48);
  step();
  EXPECT_EQ(game->phase, 41);
  EXPECT_EQ(stepsWhile(41), 1);
  step();
  EXPECT_EQ(game->phase, 0x89);
}

TEST_F(UnsafeInputTest, DrawingAStoppedGameKeepsItsLastState) {
  startStream({0x85, 0x82});
  steps(2);
  stepsWhile(24);
  step();
  stepCapturing();
  ASSERT_EQ(game->phase, -1);
  ZegDevice zeg(320, 240, 24);
  game->draw(&zeg);
  EXPECT_EQ(pixel(zeg, 0, 0), (Rgb{128, 128, 128}));
  EXPECT_EQ(pixel(zeg, 8, 180), (Rgb{192, 192, 0}));
}

}  // namespace
