// The interpreter, step by step: instructions, multi-step states and keys.
#include <cstring>

#include "tests/game/GameFixture.h"

using namespace gametest;

namespace {

class InterpreterTest : public GameTest {};

// 20 double-byte characters.
std::string twentyChars() {
  std::string s;
  for (int i = 0; i < 20; ++i) s += "\x82\xA0";
  return s;
}

TEST_F(InterpreterTest, WorkedExampleStream) {
  lmtest::writeFile("E001.PF1", solidPf1(320, 240, 0, 0, 248));
  lmtest::writeFile("KI012.PCM", soundBank({4, 4}));
  Scenario s;
  s.charts = {{}, {}};
  s.charts[0] = {0x8D, 0x00, 0x45, 0x30, 0x30, 0x31, 0x00,  // image E001, mode 0
                 0x85,                                       // new text window
                 0x87, 0x30, 0x31, 0x32, 0x00,               // voice bank KI012
                 0x80, 0x02,                                 // speaker 2
                 0x81, 0x82, 0xA0, 0x5C, 0x6E, 0x82, 0xA2, 0x00,
                 0x83, 0x00};
  s.charts[1] = {0x89};
  s.links = {{1, 0, 0, 0, 0, 0}};
  s.names = {"Aki", "Ben"};
  start(s);

  step();  // seek chart 0 and fetch
  EXPECT_EQ(game->phase, 0x8D);
  step();
  EXPECT_EQ(game->phase, 1);
  ASSERT_NE(game->pf, nullptr);
  EXPECT_EQ(game->pf->width, 320);
  EXPECT_EQ(game->apearmode, 0);
  EXPECT_TRUE(wasOpened("E001.PF1"));

  step();
  EXPECT_EQ(game->phase, 0x85);
  step();
  EXPECT_EQ(game->phase, 24);
  ASSERT_NE(game->text, nullptr);
  EXPECT_EQ(stepsWhile(24), 27);
  EXPECT_EQ(game->text->width, 147);

  step();
  EXPECT_EQ(game->phase, 0x87);
  step();
  EXPECT_EQ(game->phase, 1);
  EXPECT_TRUE(wasOpened("KI012.PCM"));
  ASSERT_NE(game->voice, nullptr);
  EXPECT_EQ(game->voice->numMax, 2);
  EXPECT_EQ(Game::stepState().voicenum, 1);

  step();
  step();  // speaker line
  EXPECT_EQ(game->phase, 1);
  EXPECT_EQ(Game::stepState().num, 2);
  EXPECT_EQ(std::string(game->text->data[0]), bracketed("Ben"));
  EXPECT_EQ(game->text->line, 1);

  step();
  EXPECT_EQ(game->phase, 0x81);
  step();
  EXPECT_EQ(game->phase, 32);
  step();  // four units: a character, the line break, a character, the end
  EXPECT_EQ(game->phase, 21);
  EXPECT_STREQ(game->text->data[1], "\x82\xA0");
  EXPECT_STREQ(game->text->data[2], "\x82\xA2");

  steps(3);
  EXPECT_EQ(game->phase, 21);
  press(KEY_DECIDE);
  EXPECT_EQ(game->phase, 1);
  step();
  EXPECT_EQ(game->phase, 0x83);
  step();
  EXPECT_EQ(game->phase, 0);
  EXPECT_EQ(game->chart, 1);
  step();
  EXPECT_EQ(game->phase, 0x89);
}

TEST_F(InterpreterTest, TwentyCharacterMessageTypesInThreeSteps) {
  Bytes msg{0x80, 0x01, 0x81};
  putStrZ(msg, twentyChars());
  startStream(msg);
  step();
  step();  // speaker
  step();
  step();  // 0x81
  ASSERT_EQ(game->phase, 32);
  step();
  EXPECT_EQ(game->text->row, 16);
  EXPECT_EQ(game->phase, 32);
  step();
  EXPECT_EQ(game->text->row, 32);
  EXPECT_EQ(game->phase, 32);
  step();
  EXPECT_EQ(game->text->row, 40);
  EXPECT_EQ(game->phase, 21);
}

TEST_F(InterpreterTest, DecideHeldWhenTheWaitBeginsDoesNotEndIt) {
  startStream({0x80, 0x01, 0x81, 'h', 'i', 0x00, 0x89});
  steps(4);
  KeyDown(KEY_DECIDE);  // pressed during typing
  step();
  ASSERT_EQ(game->phase, 21);
  steps(5);
  EXPECT_EQ(game->phase, 21);
  KeyUp(KEY_DECIDE);
  step();
  EXPECT_EQ(game->phase, 21);
  press(KEY_DECIDE);
  EXPECT_EQ(game->phase, 1);
}

TEST_F(InterpreterTest, LineBreakOnTheLastLineScrollsAndClearRestarts) {
  Bytes msg{0x80, 0x01, 0x81};
  putStr(msg, "a\\nb\\nxyzw");
  putStrZ(msg, "\\cd");
  startStream(msg);
  steps(4);
  // Eight units: the name is on line 0, "a" goes to line 1, "b" to line 2,
  // and the second line break scrolls the name out.
  step();
  EXPECT_STREQ(game->text->data[0], "a");
  EXPECT_STREQ(game->text->data[1], "b");
  EXPECT_STREQ(game->text->data[2], "xyzw");
  EXPECT_EQ(game->text->line, 2);
  step();  // \c, d, end
  EXPECT_STREQ(game->text->data[0], "d");
  EXPECT_STREQ(game->text->data[1], "");
  EXPECT_STREQ(game->text->data[2], "");
  EXPECT_EQ(game->text->line, 0);
  EXPECT_EQ(game->phase, 21);
}

TEST_F(InterpreterTest, UnknownEscapePrintsBackslashAndByte) {
  Bytes msg{0x80, 0x01, 0x81};
  putStrZ(msg, "\\x\\\\");
  startStream(msg);
  steps(5);
  EXPECT_STREQ(game->text->data[1], "\\x\\\\");
  EXPECT_EQ(game->phase, 21);
}

TEST_F(InterpreterTest, ByteEightyIsPrintedAlone) {
  startStream({0x80, 0x01, 0x81, 0x80, 'a', 0x00});
  steps(5);
  EXPECT_STREQ(game->text->data[1], "\x80" "a");
}

Scenario branchScenario(const Bytes& first) {
  Scenario s;
  s.charts = {first, {0x89}, {0x8B}, {0x8E}};
  s.links = {{1, 2, 3, 0, 0, 0}};
  s.names = {"Aki"};
  return s;
}

TEST_F(InterpreterTest, BranchWithOperandBeforeAnyChoiceTakesColumnZero) {
  start(branchScenario({0x83, 0x01}));
  steps(2);
  EXPECT_EQ(game->phase, 0);
  EXPECT_EQ(game->chart, 1);
}

TEST_F(InterpreterTest, BranchAfterChoiceTakesTheChosenColumn) {
  Bytes c0{0x84, 0x03};
  putStrZ(c0, "one");
  putStrZ(c0, "two");
  putStrZ(c0, "three");
  c0.insert(c0.end(), {0x83, 0x01});
  start(branchScenario(c0));
  steps(2);
  ASSERT_EQ(game->phase, 50);
  ASSERT_NE(game->select, nullptr);
  EXPECT_EQ(game->select->max, 3);
  EXPECT_STREQ(game->select->item[2], "three");
  press(KEY_DOWN);
  step();
  press(KEY_DOWN);
  step();
  EXPECT_EQ(game->select->select, 2);
  press(KEY_DOWN);  // already on the last item
  step();
  EXPECT_EQ(game->select->select, 2);
  press(KEY_UP);
  step();
  EXPECT_EQ(game->select->select, 1);
  EXPECT_EQ(game->phase, 50);
  press(KEY_DECIDE);
  EXPECT_EQ(game->phase, 1);
  EXPECT_EQ(game->select, nullptr);
  EXPECT_EQ(Game::stepState().result, 1);
  steps(2);
  EXPECT_EQ(game->chart, 2);
  step();
  EXPECT_EQ(game->phase, 0x8B);
}

TEST_F(InterpreterTest, UnconditionalBranchAfterChoiceResetsTheResult) {
  Bytes c0{0x84, 0x02};
  putStrZ(c0, "one");
  putStrZ(c0, "two");
  c0.insert(c0.end(), {0x83, 0x00});
  start(branchScenario(c0));
  steps(2);
  press(KEY_DOWN);
  press(KEY_DECIDE);
  EXPECT_EQ(Game::stepState().result, 1);
  steps(2);
  EXPECT_EQ(game->chart, 1);
  EXPECT_EQ(Game::stepState().result, 0);
}

TEST_F(InterpreterTest, ChartOneUsesRowZeroLikeChartZero) {
  Scenario s = branchScenario({0x83, 0x00});
  s.charts[1] = {0x83, 0x00};
  s.links = {{1, 0, 0, 0, 0, 0}, {3, 0, 0, 0, 0, 0}};
  start(s);
  steps(2);
  EXPECT_EQ(game->chart, 1);
  steps(2);
  EXPECT_EQ(game->chart, 1);  // chart 1 reads row 0 again
}

TEST_F(InterpreterTest, FaceSidesFollowCharacterChanges) {
  lmtest::writeFile("FACE0300.PF1", solidFace(16, 16, 200, 0, 0));
  startStream({0x8C, 3, 1, 0x8C, 3, 1, 0x8C, 4, 0, 0x8C, 5, 1, 0x8C, 5, 0});
  steps(2);
  EXPECT_EQ(game->phase, 22);
  EXPECT_EQ(game->face_site, 0);
  EXPECT_TRUE(wasOpened("FACE0300.PF1"));
  EXPECT_EQ(game->size, 8);
  EXPECT_EQ(game->theta, 240);
  EXPECT_EQ(stepsWhile(22), 13);
  EXPECT_EQ(game->size, 128);
  EXPECT_EQ(game->theta, 0);

  steps(2);  // same character again
  EXPECT_EQ(game->face_site, 0);
  stepsWhile(22);
  steps(2);  // character 4 removes the face: the side still flips
  EXPECT_EQ(game->phase, 23);
  EXPECT_EQ(game->face_site, 1);
  EXPECT_EQ(stepsWhile(23), 13);
  EXPECT_EQ(game->face, nullptr);
  EXPECT_EQ(game->size, 0);
  steps(2);  // character 5: flips again
  EXPECT_EQ(game->face_site, 0);
  EXPECT_TRUE(wasOpened("FACE0500.PF1"));
  EXPECT_EQ(Game::stepState().old_face, 5);
}

TEST_F(InterpreterTest, FaceAnimatesEyesWhileShown) {
  startStream({0x8C, 1, 1, 0x93, 200});
  steps(2);
  EXPECT_EQ(game->eyesstate, 1);  // the step that made the face animates it
  steps(9);
  EXPECT_EQ(game->eyesstate, 10);
  EXPECT_EQ(game->eyes, 1);
  steps(10);
  EXPECT_EQ(game->eyes, 2);
  steps(10);
  EXPECT_EQ(game->eyes, 0);
  EXPECT_EQ(game->mouthstate, 0);  // no voice: the mouth rests
}

TEST_F(InterpreterTest, PlayVoiceWithoutBankAndPastTheLastClip) {
  lmtest::writeFile("KI001.PCM", soundBank({2}));
  startStream({0x88, 0x95, 1, 2, 3, 4, 5, 0x87, '0', '0', '1', 0, 0x88, 0x88, 0x89});
  steps(2);
  EXPECT_EQ(game->phase, 1);
  EXPECT_EQ(Game::stepState().voicenum, 0);
  steps(2);
  EXPECT_EQ(game->phase, 1);
  EXPECT_EQ(Game::stepState().voicenum, 0);
  steps(2);
  EXPECT_EQ(Game::stepState().voicenum, 1);
  steps(4);
  EXPECT_EQ(Game::stepState().voicenum, 3);
  EXPECT_EQ(game->phase, 1);
  step();
  EXPECT_EQ(game->phase, 0x89);
}

TEST_F(InterpreterTest, TimedWaitLastsTPlusOneSteps) {
  startStream({0x93, 5, 0x93, 0, 0x89});
  steps(2);
  EXPECT_EQ(game->phase, 20);
  EXPECT_EQ(stepsWhile(20), 6);
  steps(2);
  EXPECT_EQ(game->phase, 20);
  EXPECT_EQ(stepsWhile(20), 1);
}

TEST_F(InterpreterTest, FadeDurations) {
  startStream({0x90, 0, 0x90, 0, 0x90, 1, 0x90, 2, 0x90, 3});
  steps(2);
  EXPECT_EQ(stepsWhile(16), 65);
  EXPECT_EQ(game->fade, 0);
  steps(2);
  EXPECT_EQ(stepsWhile(16), 1);  // already black
  steps(2);
  EXPECT_EQ(stepsWhile(17), 65);
  EXPECT_EQ(game->fade, 64);
  steps(2);
  EXPECT_EQ(stepsWhile(18), 64);
  EXPECT_EQ(game->fade, 127);
  steps(2);
  EXPECT_EQ(stepsWhile(19), 64);
  EXPECT_EQ(game->fade, 64);
}

TEST_F(InterpreterTest, FlashAndShakeDurations) {
  startStream({0x91, 0, 0x8F, 1, 0x89});
  steps(2);
  ASSERT_EQ(game->phase, 41);
  step();
  EXPECT_EQ(game->fade, 127);
  EXPECT_EQ(stepsWhile(41), 13);
  EXPECT_EQ(game->fade, 64);
  steps(2);
  ASSERT_EQ(game->phase, 49);
  EXPECT_EQ(game->scroll, 1);
  step();
  EXPECT_EQ(game->scrX, 5);
  step();
  EXPECT_EQ(game->scrX, -5);
  EXPECT_EQ(stepsWhile(49), 99);
  EXPECT_EQ(game->scroll, 0);
  EXPECT_EQ(game->scrX, 0);
}

TEST_F(InterpreterTest, TransitionDurations) {
  lmtest::writeFile("E001.PF1", solidPf1(8, 8, 1, 2, 3));
  const int expected[9] = {0, 60, 60, 64, 64, 18, 240, 240, 1};
  for (int m = 1; m <= 8; ++m) {
    SCOPED_TRACE(m);
    startStream({0x8D, static_cast<unsigned char>(m), 'E', '0', '0', '1', 0});
    steps(2);
    ASSERT_EQ(game->phase, 32 + m);
    EXPECT_EQ(game->oldPf, nullptr);  // no image before: nothing to keep
    EXPECT_EQ(stepsWhile(32 + m), expected[m]);
    EXPECT_EQ(game->phase, 1);
  }
}

TEST_F(InterpreterTest, ModeSixAtNormalFadePansAtOnce) {
  lmtest::writeFile("E001.PF1", solidPf1(8, 8, 1, 2, 3));
  startStream({0x8D, 6, 'E', '0', '0', '1', 0});
  steps(2);
  step();
  EXPECT_EQ(game->scrY, 239);
  EXPECT_EQ(game->fade, 64);
}

TEST_F(InterpreterTest, ModeSixFromBlackFadesInFirst) {
  lmtest::writeFile("E001.PF1", solidPf1(8, 8, 1, 2, 3));
  startStream({0x90, 0, 0x8D, 6, 'E', '0', '0', '1', 0});
  steps(2);
  stepsWhile(16);
  steps(2);
  ASSERT_EQ(game->phase, 38);
  step();
  EXPECT_EQ(game->fade, 1);
  EXPECT_EQ(game->scrY, 240);
  EXPECT_EQ(stepsWhile(38), 63 + 240);
}

TEST_F(InterpreterTest, TransitionKeepsAndThenDeletesTheOldImage) {
  lmtest::writeFile("E001.PF1", solidPf1(8, 8, 1, 2, 3));
  lmtest::writeFile("E002.PF1", solidPf1(8, 8, 3, 2, 1));
  startStream({0x8D, 0, 'E', '0', '0', '1', 0, 0x8D, 5, 'E', '0', '0', '2', 0});
  steps(4);
  ASSERT_EQ(game->phase, 37);
  ASSERT_NE(game->oldPf, nullptr);
  stepsWhile(37);
  EXPECT_EQ(game->oldPf, nullptr);
  EXPECT_EQ(game->zoom, 100);
}

TEST_F(InterpreterTest, UndefinedInstructionShowsChartError) {
  startStream({0x89, 0x82, 0x89});
  steps(2);
  step();
  EXPECT_EQ(game->phase, 0x82);
  testing::internal::CaptureStderr();
  EXPECT_EQ(step(), 0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("ERROR: CHART ERROR 0x82"), std::string::npos) << err;
  EXPECT_EQ(game->phase, -1);
  EXPECT_EQ(step(), -1);
}

TEST_F(InterpreterTest, FetchedPhaseValuesEnterTheirStates) {
  // 0x01 costs a step; 0x00 restarts the chart.
  startStream({0x01, 0x89, 0x00});
  step();
  EXPECT_EQ(game->phase, 1);
  step();
  EXPECT_EQ(game->phase, 0x89);
  steps(2);
  EXPECT_EQ(game->phase, 0);
  step();
  EXPECT_EQ(game->phase, 1);  // the chart's first byte again
}

TEST_F(InterpreterTest, EndOfFileAtFetchStopsSilently) {
  startStream({0x89});
  steps(2);
  testing::internal::CaptureStderr();
  step();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(game->phase, -1);
}

TEST_F(InterpreterTest, CloseTextWindowDeletesIt) {
  startStream({0x85, 0x86, 0x86});
  steps(2);
  stepsWhile(24);
  steps(2);
  EXPECT_EQ(game->phase, 25);
  EXPECT_EQ(stepsWhile(25), 27);
  EXPECT_EQ(game->text, nullptr);
  steps(2);  // closing with no window costs one step
  EXPECT_EQ(game->phase, 25);
  EXPECT_EQ(stepsWhile(25), 1);
}

TEST_F(InterpreterTest, SpeakerWithoutWindowShowsItAtFullSize) {
  startStream({0x80, 0x01});
  steps(2);
  ASSERT_NE(game->text, nullptr);
  EXPECT_EQ(game->text->width, 147);
  EXPECT_EQ(game->text->height, 27);
  EXPECT_EQ(std::string(game->text->data[0]), bracketed("Aki"));
}

TEST_F(InterpreterTest, InlineSpeakerName) {
  Bytes c{0x80, 0xFF};
  putStrZ(c, "Zed");
  c.push_back(0x89);
  startStream(c);
  steps(3);
  EXPECT_EQ(std::string(game->text->data[0]), bracketed("Zed"));
  EXPECT_EQ(game->phase, 0x89);
}

TEST_F(InterpreterTest, StepStateOutlivesTheGame) {
  startStream({0x8C, 7, 0});
  steps(2);
  EXPECT_EQ(Game::stepState().old_face, 7);
  game = std::make_unique<Game>();
  EXPECT_EQ(Game::stepState().old_face, 7);
  Game::resetStepState();
  EXPECT_EQ(Game::stepState().old_face, -1);
}

}  // namespace
