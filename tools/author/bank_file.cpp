#include "tools/author/bank_file.h"

namespace author {

namespace {

void put32(std::vector<unsigned char>& out, uint32_t v) {
  out.push_back(static_cast<unsigned char>(v >> 24));
  out.push_back(static_cast<unsigned char>(v >> 16));
  out.push_back(static_cast<unsigned char>(v >> 8));
  out.push_back(static_cast<unsigned char>(v));
}

uint32_t get32(const std::vector<unsigned char>& in, size_t at) {
  return (uint32_t{in[at]} << 24) | (uint32_t{in[at + 1]} << 16) | (uint32_t{in[at + 2]} << 8) | in[at + 3];
}

}  // namespace

std::vector<unsigned char> encodeBank(const std::vector<Clip>& clips) {
  std::vector<unsigned char> out;
  put32(out, 0);  // reserved; the player skips it
  put32(out, static_cast<uint32_t>(clips.size()));
  for (const Clip& c : clips) put32(out, static_cast<uint32_t>(c.size()));
  for (const Clip& c : clips)
    for (signed char s : c) out.push_back(static_cast<unsigned char>(s));
  return out;
}

bool decodeBank(const std::vector<unsigned char>& file, std::vector<Clip>& clips, std::string& error) {
  clips.clear();
  if (file.size() < 8) {
    error = "too short for a bank header";
    return false;
  }
  const uint64_t count = get32(file, 4);
  if (count == 0) {
    error = "no clips (the player refuses an empty bank)";
    return false;
  }
  const uint64_t tableEnd = 8 + 4 * count;
  if (tableEnd > file.size()) {
    error = "clip count " + std::to_string(count) + " does not fit the file";
    return false;
  }
  uint64_t offset = tableEnd;
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t len = get32(file, static_cast<size_t>(8 + 4 * i));
    if (offset + len > file.size()) {
      error = "clip " + std::to_string(i) + " (" + std::to_string(len) + " bytes) runs past the end of the file";
      clips.clear();
      return false;
    }
    clips.emplace_back(file.begin() + static_cast<long>(offset), file.begin() + static_cast<long>(offset + len));
    offset += len;
  }
  return true;
}

}  // namespace author
