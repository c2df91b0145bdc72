#pragma once
// Which messages of a story have been read, each known by its place in
// EVENT.BIN (the offset just past its last byte), kept across runs.
//
// File "read.dat" (little-endian): magic "LMPREAD\x1A", version (u16), 0 (u16),
// story id (u64), count (u32), CRC-32 of the preceding 24 bytes and the
// offsets (u32), then `count` offsets (u32, ascending).
#include <cstdint>
#include <string>
#include <vector>

namespace save {

class ReadMarks {
 public:
  bool isRead(uint32_t offset) const;
  // True when the message was not read before.
  bool mark(uint32_t offset);
  size_t size() const { return marks_.size(); }
  bool changed() const { return changed_; }

  std::vector<uint8_t> encode(uint64_t storyId) const;
  // Adds the marks of a file of story `storyId`; false (nothing added) for a
  // file that is damaged or of another story or version.
  bool decode(const uint8_t* bytes, size_t size, uint64_t storyId);

  // Marks lie within EVENT.BIN: one past `eventBytes` cannot be a message's
  // place, and a file cannot hold more marks than that (the working
  // directory's EVENT.BIN sets this in load(), when there is one).
  void limitTo(uint64_t eventBytes) { limit_ = eventBytes; }

  // The file in `dir`; a missing file is no error. A bad one is reported in
  // `message` and ignored.
  bool load(const std::string& dir, uint64_t storyId, std::string& message);
  // Writes the file when marks were added since the last load or store, with
  // the marks another player wrote there meanwhile (marks only grow).
  bool store(const std::string& dir, uint64_t storyId, std::string& error);

 private:
  size_t maxMarks() const;

  std::vector<uint32_t> marks_;  // ascending: 4 bytes a mark
  uint64_t limit_ = UINT32_MAX;
  bool changed_ = false;
};

}  // namespace save
