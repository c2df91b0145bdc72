#include "save/ReadMarks.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <filesystem>

#include "platform/KeptFile.h"
#include "save/Bytes.h"
#include "save/SaveStore.h"
#include "save/StoryId.h"

namespace save {

namespace {

constexpr char kMagic[8] = {'L', 'M', 'P', 'R', 'E', 'A', 'D', '\x1A'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeader = 28;
constexpr uint32_t kMaxMarks = 4u << 20;

std::string fileIn(const std::string& dir) { return (std::filesystem::path(dir) / "read.dat").string(); }

}  // namespace

bool ReadMarks::isRead(uint32_t offset) const { return std::binary_search(marks_.begin(), marks_.end(), offset); }

bool ReadMarks::mark(uint32_t offset) {
  const auto at = std::lower_bound(marks_.begin(), marks_.end(), offset);
  if (at != marks_.end() && *at == offset) return false;
  marks_.insert(at, offset);
  changed_ = true;
  return true;
}

size_t ReadMarks::maxMarks() const { return static_cast<size_t>(std::min<uint64_t>(kMaxMarks, limit_ + 1)); }

std::vector<uint8_t> ReadMarks::encode(uint64_t storyId) const {
  ByteWriter w;
  w.bytes(reinterpret_cast<const uint8_t*>(kMagic), sizeof kMagic);
  w.u16(kVersion);
  w.u16(0);
  w.u64(storyId);
  w.u32(static_cast<uint32_t>(marks_.size()));
  ByteWriter body;
  for (uint32_t m : marks_) body.u32(m);
  const uint32_t crc = crc32Of(body.data().data(), body.data().size(), crc32Of(w.data().data(), w.data().size()));
  w.u32(crc);
  std::vector<uint8_t> out = std::move(w.data());
  out.insert(out.end(), body.data().begin(), body.data().end());
  return out;
}

bool ReadMarks::decode(const uint8_t* bytes, size_t size, uint64_t storyId) {
  if (!bytes || size < kHeader || std::memcmp(bytes, kMagic, sizeof kMagic) != 0) return false;
  ByteReader h(bytes + sizeof kMagic, kHeader - sizeof kMagic);
  const uint32_t version = h.u16(), reserved = h.u16();
  const uint64_t story = h.u64();
  const uint32_t count = h.u32(), crc = h.u32();
  if (version != kVersion || reserved != 0 || story != storyId || count > maxMarks()) return false;
  if ((size - kHeader) != static_cast<size_t>(count) * 4) return false;
  if (crc32Of(bytes + kHeader, size - kHeader, crc32Of(bytes, kHeader - 4)) != crc) return false;
  ByteReader r(bytes + kHeader, size - kHeader);
  std::vector<uint32_t> got;
  got.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t m = r.u32();
    if (!got.empty() && m <= got.back()) return false;  // written ascending, each once
    if (m <= limit_) got.push_back(m);
  }
  std::vector<uint32_t> merged;
  merged.reserve(marks_.size() + got.size());
  std::set_union(marks_.begin(), marks_.end(), got.begin(), got.end(), std::back_inserter(merged));
  marks_ = std::move(merged);
  return true;
}

bool ReadMarks::load(const std::string& dir, uint64_t storyId, std::string& message) {
  if (dir.empty()) return true;
  if (const long long eventBytes = storyEventBytes(); eventBytes >= 0) limitTo(static_cast<uint64_t>(eventBytes));
  const std::string p = fileIn(dir);
  std::vector<uint8_t> bytes;
  std::string why;
  if (!platform::readKeptFile(p, kHeader + 4ull * maxMarks(), bytes, why, platform::Links::Refuse)) {
    if (why.empty()) return true;  // none yet
    message = "read marks ignored: " + why;
    return false;
  }
  if (!decode(bytes.data(), bytes.size(), storyId)) {
    message = "read marks '" + p + "' ignored: damaged or of another story";
    return false;
  }
  return true;
}

bool ReadMarks::store(const std::string& dir, uint64_t storyId, std::string& error) {
  if (dir.empty() || !changed_) return true;
  // Another player on the same folder may have marked messages since this
  // one loaded: take them in just before writing. A file that cannot be read
  // now is left to the write to report.
  std::vector<uint8_t> bytes;
  std::string why;
  if (platform::readKeptFile(fileIn(dir), kHeader + 4ull * maxMarks(), bytes, why, platform::Links::Refuse))
    decode(bytes.data(), bytes.size(), storyId);
  if (!makeFolder(dir, error) || !platform::writeKeptFile(fileIn(dir), encode(storyId), error)) return false;
  changed_ = false;
  return true;
}

}  // namespace save
