// Fuzzes the story interpreter: a Game built from fuzzed "EVENT.BIN",
// "ASTARTUP.BIN" and INI values, stepped with a fuzzed key pattern until the
// story stops, or waits for Decide with no Decide press left in the pattern,
// or kMaxSteps have run. It draws only when the input asks (see below): the
// composed screen has its own target, fuzz_screen. Pictures, a face, a voice
// bank, the system bank and a font lie beside the fuzzed files so that
// scenarios naming them load real data. fuzz_interpreter.dict lists the
// instruction bytes and operand shapes.
//
// The key pattern: 16 entries, each held `hold` steps, played in a cycle.
// Bits 0-5 of an entry are the keys held; bit 6 asks for a draw after the
// entry's first step in the pattern's first pass; bit 7 of the last entry
// asks for a draw of the final screen.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/GameFuzz.h"
#include "game/Game.h"
#include "game/ScenarioCode.h"
#include "graphics/graphicDevice.h"
#include "platform/Audio.h"
#include "shell/FileUtils.h"
#include "sound/Sound.h"
#include "sound/zepl.h"

namespace {

using gamefuzz::kPatternKeys;
using gamefuzz::Params;

constexpr int kMaxSteps = 3000;

// True when the pattern presses Decide again and again: some entry holds it
// and some entry lets it go.
bool decideRecurs(const Params& p) {
  bool with = false, without = false;
  for (uint8_t k : p.keys) ((k & KEY_DECIDE) ? with : without) = true;
  return with && without;
}

// The interpreter waits for a newly pressed Decide: after a message, and in
// a choice (Up and Down only move the cursor).
bool waitsForDecide(const Game& g) { return scenario::isWaitingPhase(g.phase); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsIfAsked(&gamefuzz::writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InWorkDir here;
  static ZegDevice zeg(320, 240, 24);
  static platform::HeadlessAudio audio;
  static uint32_t now = 0;  // virtual audio time never runs backwards
  static const bool ready = [] {
    gamefuzz::writeSupportFiles();
    platform::setAudioBackend(&audio);
    return true;
  }();
  (void)ready;
  if (zeg.checkError()) return 0;

  FuzzedDataProvider in(data, size);
  const Params p = gamefuzz::readParams(in);
  const std::vector<uint8_t> event = in.ConsumeBytes<uint8_t>(p.eventBytes);
  const std::vector<uint8_t> startup = in.ConsumeRemainingBytes<uint8_t>();
  if (!gamefuzz::writeScenarioFiles(p, event, startup)) return 0;

  const bool trace = std::getenv("LM_FUZZ_TRACE") != nullptr;
  const bool decideLeft = decideRecurs(p);
  Game::resetStepState();
  KeyReset();
  fileUtilsReset();
  ZEPL_Init(nullptr);
  {
    Sound se(0, "SYS01.PCM", 1);
    Game game;
    int held = 0, steps = 0, draws = 0;
    for (int i = 0; i < kMaxSteps; ++i) {
      const int entry = (i / p.hold) % kPatternKeys;
      const int want = p.keys[entry] & 0x3F;
      KeyUp(held & ~want);
      KeyDown(want);
      held = want;
      const int r = game.main(&se);
      steps = i + 1;
      if (i < kPatternKeys * p.hold && i % p.hold == 0 && (p.keys[entry] & 0x40)) {
        game.draw(&zeg);
        ++draws;
      }
      if (r == -1 || game.phase == scenario::kStopped) break;
      if (waitsForDecide(game) && !decideLeft) break;
      now += gamefuzz::kStepMs;
      if (i % 4 == 3) audio.advanceTo(now);
    }
    if (p.keys[kPatternKeys - 1] & 0x80) {
      game.draw(&zeg);
      ++draws;
    }
    if (trace) std::printf("%d steps, %d draws, phase %d chart %d\n", steps, draws, game.phase, game.chart);
  }
  ZEPL_Trash();
  KeyReset();
  return 0;
}
