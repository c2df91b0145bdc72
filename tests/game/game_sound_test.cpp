// Sounds the interpreter starts: interface sounds on the system bank and the
// voice that moves the face's mouth. The sound library runs on the headless
// output in virtual time: a started clip stays busy until time is advanced.
#include "platform/Audio.h"
#include "sound/zepl.h"
#include "tests/game/GameFixture.h"

using namespace gametest;

namespace {

class GameSoundTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    platform::setAudioBackend(&audio);
    ZEPL_Init(nullptr);
  }
  void TearDown() override {
    se.reset();
    GameTest::TearDown();
    ZEPL_Trash();
    platform::setAudioBackend(nullptr);
  }
  // A system bank with `clips` clips of 64 samples, loaded into memory.
  void makeSystemBank(int clips) {
    lmtest::writeFile("SYS01.PCM", soundBank(std::vector<int>(static_cast<size_t>(clips), 64)));
    se = std::make_unique<Sound>(0, "SYS01.PCM", 1);
  }
  int stepSe() { return game->main(se.get()); }
  void pressSe(int bit) {
    KeyDown(bit);
    stepSe();
    KeyUp(bit);
    stepSe();
  }
  // True when channel 0 was started since the last call.
  bool played() {
    const bool busy = ZEPL_Check(0) != 0;
    ZEPL_StopSound(0);
    return busy;
  }
  platform::HeadlessAudio audio;
  std::unique_ptr<Sound> se;
};

TEST_F(GameSoundTest, ChoiceOpeningUsesClipEleven) {
  Bytes c{0x84, 0x02};
  putStrZ(c, "a");
  putStrZ(c, "b");
  for (int clips : {12, 11}) {
    SCOPED_TRACE(clips);
    makeSystemBank(clips);
    startStream(c);
    stepSe();
    stepSe();
    ASSERT_EQ(game->phase, 50);
    EXPECT_EQ(played(), clips == 12);
  }
}

TEST_F(GameSoundTest, CursorAndDecideSounds) {
  Bytes c{0x84, 0x02};
  putStrZ(c, "a");
  putStrZ(c, "b");
  c.insert(c.end(), {0x80, 0x01, 0x81, 'x', 0x00});
  makeSystemBank(3);  // no clip 11: only cursor and decide sound
  startStream(c);
  stepSe();
  stepSe();
  EXPECT_FALSE(played());
  pressSe(KEY_UP);  // already on the first item
  EXPECT_FALSE(played());
  pressSe(KEY_DOWN);
  EXPECT_TRUE(played());
  pressSe(KEY_DOWN);  // already on the last item
  EXPECT_FALSE(played());
  pressSe(KEY_DECIDE);
  EXPECT_TRUE(played());
  for (int i = 0; i < 6 && game->phase != 21; ++i) stepSe();
  ASSERT_EQ(game->phase, 21);
  EXPECT_FALSE(played());
  KeyDown(KEY_DECIDE);
  stepSe();
  EXPECT_EQ(game->phase, 1);
  EXPECT_TRUE(played());
}

TEST_F(GameSoundTest, VoiceMovesTheMouthAndItRunsOnToFrameZero) {
  lmtest::writeFile("KI001.PCM", soundBank({64}));
  startStream({0x8C, 1, 1, 0x87, '0', '0', '1', 0, 0x93, 250});
  steps(2);
  stepsWhile(22);
  EXPECT_EQ(game->mouthstate, 0);
  steps(2);  // the voice starts
  ASSERT_NE(ZEPL_Check(8), 0);
  EXPECT_EQ(game->mouthstate, 1);
  steps(9);
  EXPECT_EQ(game->mouth, 1);
  steps(10);
  EXPECT_EQ(game->mouth, 2);
  // The voice ends while the mouth is open: it runs on to frame 0 at 30.
  audio.advanceTo(1000);
  ASSERT_EQ(ZEPL_Check(8), 0);
  steps(10);
  EXPECT_EQ(game->mouthstate, 30);
  EXPECT_EQ(game->mouth, 0);
  steps(20);
  EXPECT_EQ(game->mouthstate, 30);
}

// The mouth frame that each count of a full cycle shows while a voice sounds.
int mouthAt(int count) {
  int mouth = 0;
  for (int s = 0; s <= count; ++s) {
    switch (s) {
      case 0: case 30: case 60: case 110: case 160: case 210: mouth = 0; break;
      case 10: case 40: case 90: case 140: case 190: mouth = 1; break;
      case 20: case 50: case 100: case 150: case 200: mouth = 2; break;
      default: break;
    }
  }
  return mouth;
}

TEST_F(GameSoundTest, MouthCyclesWhileAVoiceSoundsAndWrapsAfter230) {
  // The clip never ends: the headless output's time does not move.
  lmtest::writeFile("KI001.PCM", soundBank({64}));
  startStream({0x8C, 1, 1, 0x87, '0', '0', '1', 0, 0x93, 255, 0x93, 255});
  steps(2);
  stepsWhile(22);
  steps(2);  // the voice starts; the count moves from this step on
  ASSERT_NE(ZEPL_Check(8), 0);
  ASSERT_EQ(game->mouthstate, 1);
  for (int count = 2; count <= 230; ++count) {
    step();
    ASSERT_EQ(game->mouthstate, count);
    ASSERT_EQ(game->mouth, mouthAt(count)) << "count " << count;
  }
  step();  // 231 wraps to 0
  EXPECT_EQ(game->mouthstate, 0);
  EXPECT_EQ(game->mouth, 0);
  steps(10);
  EXPECT_EQ(game->mouthstate, 10);
  EXPECT_EQ(game->mouth, 1);
}

TEST_F(GameSoundTest, VoiceEndingWhileTheMouthIsClosedStopsTheCountAtOnce) {
  lmtest::writeFile("KI001.PCM", soundBank({64, 64}));
  startStream({0x8C, 1, 1, 0x87, '0', '0', '1', 0, 0x93, 100, 0x88, 0x93, 100});
  steps(2);
  stepsWhile(22);
  steps(2);
  ASSERT_EQ(game->mouthstate, 1);
  steps(64);  // count 65: frame 0 since 60
  ASSERT_EQ(game->mouth, 0);
  audio.advanceTo(1000);
  ASSERT_EQ(ZEPL_Check(8), 0);
  steps(30);
  EXPECT_EQ(game->mouthstate, 65) << "the count rests where the mouth is closed";
  // The next clip carries the count on from where it rested.
  ASSERT_GT(stepsUntil(0x88), 0);
  step();
  ASSERT_NE(ZEPL_Check(8), 0);
  EXPECT_EQ(game->mouthstate, 66);
  steps(24);
  EXPECT_EQ(game->mouthstate, 90);
  EXPECT_EQ(game->mouth, 1);
}

}  // namespace
