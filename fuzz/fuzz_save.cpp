// Fuzzes the player's own files. A save file is read as it stands and again
// resealed (this story's id, the right length and checksum) so that its
// payload is reached; a save that is accepted is restored into a small story
// that is then stepped and drawn, so a value that slipped through the checks
// shows there. Read marks are read both ways too.
//
// Input: the bytes of a save (or read-marks) file.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "game/Game.h"
#include "graphics/graphicDevice.h"
#include "save/Bytes.h"
#include "save/ReadMarks.h"
#include "save/SaveFile.h"
#include "save/StoryId.h"
#include "save/StorySnapshot.h"
#include "scenes/LmPlayer.h"
#include "shell/Key.h"
#include "tools/author/story_compiler.h"

namespace {

constexpr int kSteps = 60;

// A face, a two-line message, a narration and a choice of three, in a loop.
const char* const kScript =
    "start one\n"
    "character 1 hana \"Hana\"\n"
    "chart one -> one one one\n"
    "window open\n"
    "face hana 0\n"
    "say hana \"First\\nline\"\n"
    "text \"\\cSecond\"\n"
    "choice \"stay\" \"again\" \"more\"\n"
    "branch\n";

void writeStory() {
  story::StoryFiles files;
  std::string error;
  if (!story::compileStory(kScript, files, &error) || !story::writeStoryFiles(files, ".", &error) ||
      !fuzz::writeText("kirune.ini", files.ini + "SKIP=1\n"))
    std::abort();
}

uint64_t storyId() {
  static const uint64_t id = [] {
    writeStory();
    return save::currentStoryId();
  }();
  return id;
}

// The same bytes under a header that this story's player accepts.
std::vector<uint8_t> reseal(const uint8_t* data, size_t size, bool marks) {
  std::vector<uint8_t> f(data, data + size);
  if (f.size() < save::kHeaderBytes) return f;
  save::ByteWriter h;
  h.u16(marks ? 1 : save::kSaveVersion);  // read marks are at their first format
  h.u16(0);
  h.u64(storyId());
  if (!marks) h.u32(static_cast<uint32_t>(f.size() - save::kHeaderBytes));
  else h.u32(static_cast<uint32_t>((f.size() - save::kHeaderBytes) / 4));
  std::copy(h.data().begin(), h.data().end(), f.begin() + 8);
  const uint32_t crc = save::crc32Of(f.data() + save::kHeaderBytes, f.size() - save::kHeaderBytes,
                                     save::crc32Of(f.data(), save::kHeaderBytes - 4));
  for (int i = 0; i < 4; ++i) f[24 + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
  return f;
}

// Restores `s` into a fresh player and plays on, pressing keys now and then.
void playFrom(const save::StorySnapshot& s) {
  static ZegDevice zeg(320, 240, 24);
  if (zeg.checkError()) return;
  KeyReset();
  LmPlayer player;
  std::string why;
  if (!save::restore(player, s, why)) return;
  for (int i = 0; i < kSteps; ++i) {
    if (i % 7 == 3) KeyDown(i % 2 ? KEY_DECIDE : KEY_DOWN);
    else KeyReset();
    player.main();
    player.draw(&zeg);
  }
  KeyReset();
}

// ------------------------------------------------------------------ seeds

// Plays the story to its first message and its choice and writes each moment.
void writeSeeds(const std::string& dir) {
  fuzz::InWorkDir here;
  writeStory();
  KeyReset();
  LmPlayer::resetSceneStatics();
  LmPlayer player;
  save::ReadMarks marks;
  int written = 0;
  std::vector<save::RollbackMoment> earlier;
  for (int i = 0; i < 2000 && written < 3; ++i) {
    player.main();
    KeyReset();
    save::SaveData d;
    if (!save::capture(player, d.state)) continue;
    d.storyId = save::currentStoryId();
    d.label = "seed";
    d.thumb.width = 2;
    d.thumb.height = 2;
    d.thumb.rgb.assign(12, 0x80);
    d.backlog = {{"\x81\x79Hana\x81\x7A", "First\nline"}};
    d.rollback = earlier;
    earlier.push_back(save::RollbackMoment{d.state, 1, "seed"});
    const char* names[] = {"message.sav", "second.sav", "choice.sav"};
    fuzz::writeSeed(dir, names[written], save::encodeSave(d));
    marks.mark(static_cast<uint32_t>(d.state.streamPos));
    ++written;
    KeyDown(KEY_DECIDE);  // on to the next moment
  }
  fuzz::writeSeed(dir, "read.dat", marks.encode(save::currentStoryId()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsIfAsked(&writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InWorkDir here;
  const uint64_t id = storyId();
  save::SaveData d;
  save::decodeSave(data, size, id, d);
  save::ReadMarks raw;
  raw.decode(data, size, id);

  const std::vector<uint8_t> sealed = reseal(data, size, false);
  save::SaveData s;
  if (save::decodeSave(sealed.data(), sealed.size(), id, s) == save::SaveProblem::None) playFrom(s.state);
  const std::vector<uint8_t> marks = reseal(data, size, true);
  save::ReadMarks m;
  m.decode(marks.data(), marks.size(), id);
  return 0;
}
