// Capture, the file and restore agree: at every waiting moment of the loop
// story (both choice answers, several rounds), capture -> encode -> decode ->
// restore -> capture gives the same values, the same screen, and the story
// goes on from the restored moment as it did from the captured one.
#include <gtest/gtest.h>

#include "LayerFixture.h"
#include "game/ScenarioCode.h"
#include "save/SaveFile.h"
#include "save/StateCodec.h"

namespace lmtest {
namespace {

using StateRoundTrip = LayerTest;

TEST_F(StateRoundTrip, EveryWaitingMomentComesBackIdentical) {
  start();
  int moments = 0;
  for (int round = 0; round < 8; ++round) {
    ASSERT_TRUE(untilWaiting());
    save::StorySnapshot before;
    ASSERT_TRUE(save::capture(player(), before));
    const std::string shown = screen();

    save::SaveData d;
    d.state = before;
    const std::vector<uint8_t> file = save::encodeSave(d);
    save::SaveData back;
    ASSERT_EQ(save::decodeSave(file.data(), file.size(), 0, back), save::SaveProblem::None);
    EXPECT_EQ(save::encodeState(back.state), save::encodeState(before));

    std::string why;
    ASSERT_TRUE(save::restore(player(), back.state, why)) << why;
    save::StorySnapshot after;
    ASSERT_TRUE(save::capture(player(), after));
    EXPECT_TRUE(after == before) << "moment " << moments;
    EXPECT_EQ(screen(), shown);
    ++moments;
    // On: Decide, and at the choices the second answer every other time.
    if (game()->phase == scenario::kChoiceOpen && round % 4 == 2) tap(VK_DOWN);
    tap(VK_RETURN);
  }
  EXPECT_EQ(moments, 8);
}

TEST_F(StateRoundTrip, AnyChangedValueMakesTheSnapshotsDiffer) {
  start();
  ASSERT_TRUE(untilWaiting());
  save::StorySnapshot s;
  ASSERT_TRUE(save::capture(player(), s));
  auto differs = [&](auto change) {
    save::StorySnapshot t = s;
    change(t);
    return !(t == s);
  };
  EXPECT_TRUE(differs([](save::StorySnapshot& t) { ++t.game.mouthstate; }));
  EXPECT_TRUE(differs([](save::StorySnapshot& t) { t.text.lines[2] += "x"; }));
  EXPECT_TRUE(differs([](save::StorySnapshot& t) { t.step.pcmname[2] = 'Z'; }));
  EXPECT_TRUE(differs([](save::StorySnapshot& t) { t.voice.offset += 1; }));
  EXPECT_TRUE(differs([](save::StorySnapshot& t) { t.systemSound.sounding = !t.systemSound.sounding; }));
  EXPECT_TRUE(differs([](save::StorySnapshot& t) { t.timing.audioElapsed += 1; }));
  EXPECT_FALSE(differs([](save::StorySnapshot&) {}));
}

}  // namespace
}  // namespace lmtest
