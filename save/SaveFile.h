#pragma once
// The save file: one waiting moment of one story, with what the load screen
// shows of it (time, the start of the message, a thumbnail) and the backlog.
//
// Layout (little-endian; version 2, older versions are refused):
//   0   8  magic "LMPSAVE\x1A"
//   8   2  format version
//   10  2  0
//   12  8  story id (the data files' hash, see StoryId.h)
//   20  4  payload length
//   24  4  CRC-32 of bytes 0..23 followed by the payload
//   28  -  payload (see docs/comforts.md)
// A file that is too short, not a save, of another version, damaged or of
// another story is refused with a reason and nothing is taken from it.
#include <cstdint>
#include <string>
#include <vector>

#include "save/StorySnapshot.h"

namespace save {

// 2: the state as its one description lists it, the sounding voice, rollback.
constexpr uint16_t kSaveVersion = 2;
constexpr size_t kHeaderBytes = 28;

struct Thumbnail {
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // width * height * 3, rows top to bottom
};

// One shown message: the speaker line and the text, Shift-JIS, lines joined by '\n'.
struct BacklogEntry {
  std::string speaker;
  std::string text;
  bool operator==(const BacklogEntry& o) const { return speaker == o.speaker && text == o.text; }
};

// An earlier waiting moment, for rollback after a load.
struct RollbackMoment {
  StorySnapshot state;
  uint32_t backlogSize = 0;  // backlog entries at that moment
  std::string label;
};

// A save keeps at most this many earlier moments (the latest), and no more
// of them than fit kMaxRollbackBytes.
constexpr size_t kMaxRollback = 50;
constexpr size_t kMaxRollbackBytes = 512u << 10;

struct SaveData {
  uint64_t storyId = 0;
  int64_t savedAt = 0;  // seconds since 1970-01-01 UTC
  std::string label;    // the start of the message on screen (Shift-JIS)
  Thumbnail thumb;
  StorySnapshot state;
  std::vector<BacklogEntry> backlog;  // oldest first
  std::vector<RollbackMoment> rollback;  // oldest first
};

enum class SaveProblem { None, Truncated, NotASave, OtherVersion, Damaged, OtherStory };

std::vector<uint8_t> encodeSave(const SaveData& data);

// Reads a save of story `storyId`; on any problem `out` is left as it was.
SaveProblem decodeSave(const uint8_t* bytes, size_t size, uint64_t storyId, SaveData& out);

// A few words for a refusal ("damaged", "from another story", ...).
const char* describe(SaveProblem problem);

}  // namespace save
