#include "save/ReadMarks.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "platform/OutputFile.h"
#include "save/Bytes.h"
#include "save/SaveStore.h"

namespace save {

namespace {

constexpr char kMagic[8] = {'L', 'M', 'P', 'R', 'E', 'A', 'D', '\x1A'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeader = 28;
constexpr uint32_t kMaxMarks = 4u << 20;

std::string fileIn(const std::string& dir) { return (std::filesystem::path(dir) / "read.dat").string(); }

}  // namespace

bool ReadMarks::mark(uint32_t offset) {
  if (!marks_.insert(offset).second) return false;
  changed_ = true;
  return true;
}

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
  if (version != kVersion || reserved != 0 || story != storyId || count > kMaxMarks) return false;
  if ((size - kHeader) != static_cast<size_t>(count) * 4) return false;
  if (crc32Of(bytes + kHeader, size - kHeader, crc32Of(bytes, kHeader - 4)) != crc) return false;
  ByteReader r(bytes + kHeader, size - kHeader);
  std::vector<uint32_t> got;
  got.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t m = r.u32();
    if (!got.empty() && m <= got.back()) return false;  // written ascending, each once
    got.push_back(m);
  }
  marks_.insert(got.begin(), got.end());
  return true;
}

bool ReadMarks::load(const std::string& dir, uint64_t storyId, std::string& message) {
  if (dir.empty()) return true;
  const std::string p = fileIn(dir);
  std::error_code ec;
  if (!std::filesystem::exists(p, ec)) return true;
  const auto size = std::filesystem::file_size(p, ec);
  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<FILE, Closer> f(ec || size > kHeader + 4ull * kMaxMarks ? nullptr : std::fopen(p.c_str(), "rb"));
  std::vector<uint8_t> bytes(f ? static_cast<size_t>(size) : 0);
  if (!f || (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) ||
      !decode(bytes.data(), bytes.size(), storyId)) {
    message = "read marks '" + p + "' ignored: damaged or of another story";
    return false;
  }
  return true;
}

bool ReadMarks::store(const std::string& dir, uint64_t storyId, std::string& error) {
  if (dir.empty() || !changed_) return true;
  if (!makeFolder(dir, error) || !platform::writeFileAtomic(fileIn(dir), encode(storyId), error)) return false;
  changed_ = false;
  return true;
}

}  // namespace save
