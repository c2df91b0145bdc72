#include "save/SaveFile.h"

#include <cstring>

#include "save/Bytes.h"
#include "save/StateCodec.h"

namespace save {

namespace {

constexpr char kMagic[8] = {'L', 'M', 'P', 'S', 'A', 'V', 'E', '\x1A'};
constexpr size_t kMaxBacklog = 1000;
constexpr size_t kMaxPayload = 16u << 20;

// The latest moments that fit the limits, oldest first.
void putRollback(ByteWriter& w, const std::vector<RollbackMoment>& moments) {
  std::vector<std::vector<uint8_t>> kept;
  size_t bytes = 0;
  for (auto m = moments.rbegin(); m != moments.rend() && kept.size() < kMaxRollback; ++m) {
    ByteWriter one;
    putState(one, m->state);
    one.u32(m->backlogSize);
    one.str(m->label);
    if (bytes + one.data().size() > kMaxRollbackBytes) break;
    bytes += one.data().size();
    kept.push_back(std::move(one.data()));
  }
  w.u16(static_cast<uint32_t>(kept.size()));
  for (auto k = kept.rbegin(); k != kept.rend(); ++k) w.bytes(k->data(), k->size());
}

bool getRollback(ByteReader& r, std::vector<RollbackMoment>& out) {
  const size_t count = r.u16();
  if (count > kMaxRollback) return false;
  std::string why;
  for (size_t i = 0; i < count; ++i) {
    RollbackMoment m;
    if (!getState(r, m.state) || !plausible(m.state, why)) return false;
    m.backlogSize = r.u32();
    m.label = r.str(255);
    if (!r.ok()) return false;
    out.push_back(std::move(m));
  }
  return true;
}

}  // namespace

std::vector<uint8_t> encodeSave(const SaveData& d) {
  ByteWriter p;
  p.i64(d.savedAt);
  p.str(d.label);
  p.u16(static_cast<uint32_t>(d.thumb.width));
  p.u16(static_cast<uint32_t>(d.thumb.height));
  p.bytes(d.thumb.rgb.data(), d.thumb.rgb.size());
  putState(p, d.state);
  const size_t first = d.backlog.size() > kMaxBacklog ? d.backlog.size() - kMaxBacklog : 0;
  p.u16(static_cast<uint32_t>(d.backlog.size() - first));
  for (size_t i = first; i < d.backlog.size(); ++i) {
    p.str(d.backlog[i].speaker);
    p.str(d.backlog[i].text);
  }
  putRollback(p, d.rollback);
  const std::vector<uint8_t>& payload = p.data();

  ByteWriter h;
  h.bytes(reinterpret_cast<const uint8_t*>(kMagic), sizeof kMagic);
  h.u16(kSaveVersion);
  h.u16(0);
  h.u64(d.storyId);
  h.u32(static_cast<uint32_t>(payload.size()));
  const uint32_t crc = crc32Of(payload.data(), payload.size(), crc32Of(h.data().data(), h.data().size()));
  h.u32(crc);
  std::vector<uint8_t> out = std::move(h.data());
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

SaveProblem decodeSave(const uint8_t* bytes, size_t size, uint64_t storyId, SaveData& out) {
  if (!bytes || size < kHeaderBytes) {
    // Even a cut-off file says what it is when its magic is there.
    return bytes && size >= sizeof kMagic && std::memcmp(bytes, kMagic, sizeof kMagic) != 0 ? SaveProblem::NotASave
                                                                                             : SaveProblem::Truncated;
  }
  if (std::memcmp(bytes, kMagic, sizeof kMagic) != 0) return SaveProblem::NotASave;
  ByteReader h(bytes + sizeof kMagic, kHeaderBytes - sizeof kMagic);
  const uint32_t version = h.u16();
  const uint32_t reserved = h.u16();
  const uint64_t story = h.u64();
  const uint32_t length = h.u32();
  const uint32_t crc = h.u32();
  if (version != kSaveVersion) return SaveProblem::OtherVersion;
  if (length > kMaxPayload) return SaveProblem::Damaged;
  if (size - kHeaderBytes < length) return SaveProblem::Truncated;
  if (size - kHeaderBytes > length) return SaveProblem::Damaged;
  const uint8_t* payload = bytes + kHeaderBytes;
  if (crc32Of(payload, length, crc32Of(bytes, kHeaderBytes - 4)) != crc || reserved != 0) return SaveProblem::Damaged;
  if (story != storyId) return SaveProblem::OtherStory;

  SaveData d;
  d.storyId = story;
  ByteReader r(payload, length);
  d.savedAt = r.i64();
  d.label = r.str(255);
  d.thumb.width = static_cast<int>(r.u16());
  d.thumb.height = static_cast<int>(r.u16());
  // The thumbnail is the documented size, or absent (a save made before any frame).
  const bool noThumb = d.thumb.width == 0 && d.thumb.height == 0;
  if (!noThumb && (d.thumb.width != Thumbnail::kWidth || d.thumb.height != Thumbnail::kHeight))
    return SaveProblem::Damaged;
  d.thumb.rgb = r.bytes(static_cast<size_t>(d.thumb.width) * d.thumb.height * 3);
  if (!r.ok() || !getState(r, d.state)) return SaveProblem::Damaged;
  const size_t count = r.u16();
  if (count > kMaxBacklog) return SaveProblem::Damaged;
  for (size_t i = 0; i < count && r.ok(); ++i) {
    BacklogEntry e;
    e.speaker = r.str(255);
    e.text = r.str(4096);
    d.backlog.push_back(std::move(e));
  }
  if (!r.ok() || !getRollback(r, d.rollback) || !r.atEnd()) return SaveProblem::Damaged;
  std::string why;
  if (!plausible(d.state, why)) return SaveProblem::Damaged;
  out = std::move(d);
  return SaveProblem::None;
}

const char* describe(SaveProblem problem) {
  switch (problem) {
    case SaveProblem::None: return "fine";
    case SaveProblem::Truncated: return "cut short";
    case SaveProblem::NotASave: return "not a save file";
    case SaveProblem::OtherVersion: return "made by another version of the save format";
    case SaveProblem::Damaged: return "damaged";
    case SaveProblem::OtherStory: return "from another story";
  }
  return "unreadable";
}

}  // namespace save
