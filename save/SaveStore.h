#pragma once
// The saves of one story in one folder: ten numbered slots, the quick slot
// (F5 and F9) and the automatic slot (written on quit and window close).
#include <cstdint>
#include <string>

#include "save/SaveFile.h"

namespace save {

constexpr int kNumberedSlots = 10;
constexpr int kQuickSlot = 10;
constexpr int kAutoSlot = 11;
constexpr int kSlotCount = 12;

// "slot01.sav" .. "slot10.sav", "quick.sav", "auto.sav".
std::string slotFileName(int slot);

enum class ReadResult { Ok, Missing, Refused };

class SaveStore {
 public:
  SaveStore() = default;
  // An empty folder makes a store that keeps nothing.
  SaveStore(std::string dir, uint64_t storyId) : dir_(std::move(dir)), storyId_(storyId) {}

  bool enabled() const { return !dir_.empty(); }
  const std::string& dir() const { return dir_; }
  uint64_t storyId() const { return storyId_; }
  std::string path(int slot) const;

  // Writes slot `slot` whole or not at all, making the folder when needed.
  bool write(int slot, const SaveData& data, std::string& error) const;
  // Reads slot `slot`; a refusal gives a one-line message naming the file and why.
  ReadResult read(int slot, SaveData& out, std::string& message, SaveProblem* problem = nullptr) const;

 private:
  std::string dir_;
  uint64_t storyId_ = 0;
};

// Makes `dir` and its parents; false with a reason when it cannot.
bool makeFolder(const std::string& dir, std::string& error);

}  // namespace save

namespace save {

// $XDG_DATA_HOME/lmplayer/saves/<story id>, else ~/.local/share/...; empty
// when neither variable is set to an absolute path.
std::string defaultSaveDir(uint64_t storyId);

}  // namespace save
