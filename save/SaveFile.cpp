#include "save/SaveFile.h"

#include <cstring>

#include "save/Bytes.h"

namespace save {

namespace {

constexpr char kMagic[8] = {'L', 'M', 'P', 'S', 'A', 'V', 'E', '\x1A'};
constexpr size_t kMaxBacklog = 1000;
constexpr size_t kMaxPayload = 16u << 20;

template <size_t N>
void putName(ByteWriter& w, const char (&name)[N]) {
  w.str(std::string(name, strnlen(name, N)));
}

// A name shorter than its buffer; false when it does not fit.
template <size_t N>
bool getName(ByteReader& r, char (&name)[N]) {
  const std::string s = r.str(N - 1);
  if (!r.ok() || s.find('\0') != std::string::npos) return false;
  std::memset(name, 0, N);
  std::memcpy(name, s.data(), s.size());
  return true;
}

void putSnapshot(ByteWriter& w, const StorySnapshot& s) {
  for (int v : {s.phase, s.eyesstate, s.mouthstate, s.face_site, s.eyes, s.mouth, s.chart, s.fade, s.theta, s.size,
                s.scrX, s.scrY, s.zoom, s.apearmode, s.scroll})
    w.i32(v);
  for (const std::string& it : s.item) w.str(it);
  w.i64(s.streamPos);
  w.u8((s.hasPicture ? 1 : 0) | (s.hasFace ? 2 : 0) | (s.hasVoice ? 4 : 0) | (s.hasText ? 8 : 0) |
       (s.hasChoice ? 16 : 0));
  const TextState& t = s.text;
  for (int v : {t.line, t.row, t.width, t.height, t.left, t.right}) w.i32(v);
  for (const std::string& l : t.lines) w.str(l);
  const ChoiceState& c = s.choice;
  for (int v : {c.max, c.pos, c.dispPos, c.select}) w.i32(v);
  for (const std::string& it : c.items) w.str(it);
  const GameStepState& st = s.step;
  for (int v : {st.key, st.wait, st.num, st.voicenum, st.old_face, st.result}) w.i32(v);
  putName(w, st.pfname);
  putName(w, st.pcmname);
  putName(w, st.facename);
  w.u8(s.timing.valid ? 1 : 0);
  w.u32(s.timing.deadlineAhead);
  w.u32(s.timing.audioElapsed);
}

bool getSnapshot(ByteReader& r, StorySnapshot& s) {
  for (int* v : {&s.phase, &s.eyesstate, &s.mouthstate, &s.face_site, &s.eyes, &s.mouth, &s.chart, &s.fade,
                 &s.theta, &s.size, &s.scrX, &s.scrY, &s.zoom, &s.apearmode, &s.scroll})
    *v = r.i32();
  for (std::string& it : s.item) it = r.str(49);
  const int64_t pos = r.i64();
  if (pos < 0 || pos > 0x7FFFFFFF) return false;
  s.streamPos = static_cast<long>(pos);
  const uint32_t flags = r.u8();
  if (flags > 31) return false;
  s.hasPicture = flags & 1;
  s.hasFace = flags & 2;
  s.hasVoice = flags & 4;
  s.hasText = flags & 8;
  s.hasChoice = flags & 16;
  TextState& t = s.text;
  for (int* v : {&t.line, &t.row, &t.width, &t.height, &t.left, &t.right}) *v = r.i32();
  for (std::string& l : t.lines) l = r.str(255);
  ChoiceState& c = s.choice;
  for (int* v : {&c.max, &c.pos, &c.dispPos, &c.select}) *v = r.i32();
  for (std::string& it : c.items) it = r.str(49);
  GameStepState& st = s.step;
  for (int* v : {&st.key, &st.wait, &st.num, &st.voicenum, &st.old_face, &st.result}) *v = r.i32();
  if (!getName(r, st.pfname) || !getName(r, st.pcmname) || !getName(r, st.facename)) return false;
  const uint32_t valid = r.u8();
  if (valid > 1) return false;
  s.timing.valid = valid == 1;
  s.timing.deadlineAhead = r.u32();
  s.timing.audioElapsed = r.u32();
  return r.ok();
}

}  // namespace

std::vector<uint8_t> encodeSave(const SaveData& d) {
  ByteWriter p;
  p.i64(d.savedAt);
  p.str(d.label);
  p.u16(static_cast<uint32_t>(d.thumb.width));
  p.u16(static_cast<uint32_t>(d.thumb.height));
  p.bytes(d.thumb.rgb.data(), d.thumb.rgb.size());
  putSnapshot(p, d.state);
  const size_t first = d.backlog.size() > kMaxBacklog ? d.backlog.size() - kMaxBacklog : 0;
  p.u16(static_cast<uint32_t>(d.backlog.size() - first));
  for (size_t i = first; i < d.backlog.size(); ++i) {
    p.str(d.backlog[i].speaker);
    p.str(d.backlog[i].text);
  }
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
  if (d.thumb.width > 320 || d.thumb.height > 240) return SaveProblem::Damaged;
  d.thumb.rgb = r.bytes(static_cast<size_t>(d.thumb.width) * d.thumb.height * 3);
  if (!r.ok() || !getSnapshot(r, d.state)) return SaveProblem::Damaged;
  const size_t count = r.u16();
  if (count > kMaxBacklog) return SaveProblem::Damaged;
  for (size_t i = 0; i < count && r.ok(); ++i) {
    BacklogEntry e;
    e.speaker = r.str(255);
    e.text = r.str(4096);
    d.backlog.push_back(std::move(e));
  }
  if (!r.ok() || !r.atEnd()) return SaveProblem::Damaged;
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
