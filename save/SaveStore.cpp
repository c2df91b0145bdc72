#include "save/SaveStore.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/KeptFile.h"
#include "platform/Places.h"
#include "save/StoryId.h"

namespace save {

namespace fs = std::filesystem;

// No save comes near this (a thumbnail and the story's state).
constexpr size_t kMaxSaveBytes = 32u << 20;

std::string slotFileName(int slot) {
  if (slot == kQuickSlot) return "quick.sav";
  if (slot == kAutoSlot) return "auto.sav";
  char buf[32];
  std::snprintf(buf, sizeof buf, "slot%02d.sav", slot + 1);
  return buf;
}

std::string SaveStore::path(int slot) const { return (fs::path(dir_) / slotFileName(slot)).string(); }

bool makeFolder(const std::string& dir, std::string& error) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir, ec)) {
    error = "cannot make the folder " + dir;
    return false;
  }
  return true;
}

bool SaveStore::write(int slot, const SaveData& data, std::string& error) const {
  if (!enabled()) {
    error = "no save folder";
    return false;
  }
  if (slot < 0 || slot >= kSlotCount) {
    error = "no such slot";
    return false;
  }
  if (!makeFolder(dir_, error)) return false;
  SaveData d = data;
  d.storyId = storyId_;
  return platform::writeKeptFile(path(slot), encodeSave(d), error);
}

ReadResult SaveStore::read(int slot, SaveData& out, std::string& message, SaveProblem* problem) const {
  if (!enabled() || slot < 0 || slot >= kSlotCount) return ReadResult::Missing;
  const std::string p = path(slot);
  std::vector<uint8_t> bytes;
  std::string why;
  if (!platform::readKeptFile(p, kMaxSaveBytes, bytes, why, platform::Links::Refuse)) {
    if (why.empty()) return ReadResult::Missing;
    if (problem) *problem = SaveProblem::Damaged;
    message = why;
    return ReadResult::Refused;
  }
  const SaveProblem found = decodeSave(bytes.data(), bytes.size(), storyId_, out);
  if (problem) *problem = found;
  if (found != SaveProblem::None) {
    message = "save '" + p + "' refused: " + describe(found);
    return ReadResult::Refused;
  }
  return ReadResult::Ok;
}

}  // namespace save

namespace save {

std::string defaultSaveDir(uint64_t storyId) {
  const std::string base = platform::dataFolder();
  if (base.empty()) return "";
  return (fs::path(base) / "saves" / storyIdText(storyId)).string();
}

}  // namespace save
