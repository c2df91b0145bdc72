#pragma once
// Which messages of a story have been read, each known by its place in
// EVENT.BIN (the offset just past its last byte), kept across runs.
//
// File "read.dat" (little-endian): magic "LMPREAD\x1A", version (u16), 0 (u16),
// story id (u64), count (u32), CRC-32 of the preceding 24 bytes and the
// offsets (u32), then `count` offsets (u32, ascending).
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace save {

class ReadMarks {
 public:
  bool isRead(uint32_t offset) const { return marks_.count(offset) != 0; }
  // True when the message was not read before.
  bool mark(uint32_t offset);
  size_t size() const { return marks_.size(); }
  bool changed() const { return changed_; }

  std::vector<uint8_t> encode(uint64_t storyId) const;
  // Adds the marks of a file of story `storyId`; false (nothing added) for a
  // file that is damaged or of another story or version.
  bool decode(const uint8_t* bytes, size_t size, uint64_t storyId);

  // The file in `dir`; a missing file is no error. A bad one is reported in
  // `message` and ignored.
  bool load(const std::string& dir, uint64_t storyId, std::string& message);
  // Writes the file when marks were added since the last load or store.
  bool store(const std::string& dir, uint64_t storyId, std::string& error);

 private:
  std::set<uint32_t> marks_;
  bool changed_ = false;
};

}  // namespace save
