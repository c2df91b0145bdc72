#include "tools/author/pf1_codec.h"

#include <algorithm>
#include <map>

#include "graphics/Pf1.h"

namespace author {

namespace {

constexpr size_t kMaxRun = 127;

void put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(static_cast<unsigned char>(v >> 8));
  out.push_back(static_cast<unsigned char>(v));
}

void put32(std::vector<unsigned char>& out, unsigned long v) {
  put16(out, static_cast<unsigned>(v >> 16) & 0xFFFF);
  put16(out, static_cast<unsigned>(v) & 0xFFFF);
}

struct Run {
  uint16_t word;
  size_t length;
};

// Runs of equal words; the stream continues across row ends, so do the runs.
std::vector<Run> runsOf(const std::vector<uint16_t>& words) {
  std::vector<Run> runs;
  for (uint16_t w : words) {
    if (!runs.empty() && runs.back().word == w)
      runs.back().length++;
    else
      runs.push_back({w, 1});
  }
  return runs;
}

// Bytes saved by writing a run as palette runs (2 bytes per 127 pixels)
// rather than literal words (2 bytes per pixel).
size_t savings(size_t length) { return 2 * length - 2 * ((length + kMaxRun - 1) / kMaxRun); }

// Up to 256 colours, best saving first; colours that save nothing stay literal.
std::vector<uint16_t> choosePalette(const std::vector<Run>& runs) {
  std::map<uint16_t, size_t> saved;
  for (const Run& r : runs) saved[r.word] += savings(r.length);
  std::vector<std::pair<uint16_t, size_t>> ranked;
  for (const auto& [word, bytes] : saved)
    if (bytes > 0) ranked.push_back({word, bytes});
  std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  std::vector<uint16_t> palette;
  for (size_t i = 0; i < ranked.size() && i < 256; i++) palette.push_back(ranked[i].first);
  return palette;
}

void flushLiterals(std::vector<unsigned char>& out, std::vector<uint16_t>& pending) {
  for (size_t i = 0; i < pending.size(); i += kMaxRun) {
    size_t n = std::min(kMaxRun, pending.size() - i);
    out.push_back(static_cast<unsigned char>(n));
    for (size_t k = 0; k < n; k++) put16(out, pending[i + k]);
  }
  pending.clear();
}

}  // namespace

std::vector<uint16_t> pf1Words(const unsigned char* rgba, size_t pixels) {
  std::vector<uint16_t> words(pixels);
  for (size_t i = 0; i < pixels; i++) {
    const unsigned char* p = rgba + 4 * i;
    if (p[3] < 128) {
      words[i] = 0;
      continue;
    }
    unsigned w = (p[0] >> 3) | ((p[1] >> 3) << 5) | ((p[2] >> 3) << 10);
    words[i] = static_cast<uint16_t>(w ? w : 0x8000);
  }
  return words;
}

std::vector<unsigned char> encodePf1Block(const std::vector<uint16_t>& words) {
  const std::vector<Run> runs = runsOf(words);
  const std::vector<uint16_t> palette = choosePalette(runs);
  std::map<uint16_t, unsigned char> index;
  for (size_t i = 0; i < palette.size(); i++) index[palette[i]] = static_cast<unsigned char>(i);

  std::vector<unsigned char> out;
  std::vector<uint16_t> pending;
  for (const Run& r : runs) {
    auto it = index.find(r.word);
    if (it == index.end()) {
      pending.insert(pending.end(), r.length, r.word);
      continue;
    }
    flushLiterals(out, pending);
    for (size_t left = r.length; left > 0;) {
      size_t n = std::min(kMaxRun, left);
      out.push_back(static_cast<unsigned char>(0x80 | n));
      out.push_back(it->second);
      left -= n;
    }
  }
  flushLiterals(out, pending);
  for (size_t i = 0; i < 256; i++) put16(out, i < palette.size() ? palette[i] : 0);
  return out;
}

std::vector<unsigned char> encodePf1(int width, int height, const std::vector<std::vector<uint16_t>>& blocks) {
  std::vector<std::vector<unsigned char>> encoded;
  for (const auto& b : blocks) encoded.push_back(encodePf1Block(b));
  std::vector<unsigned char> out = {'P', 'F', '1', 0, 0, 0};
  put16(out, static_cast<unsigned>(width));
  put16(out, static_cast<unsigned>(height));
  put16(out, 0);
  put16(out, static_cast<unsigned>(encoded.size()));
  put16(out, 0);
  for (const auto& e : encoded) put32(out, e.size());
  for (const auto& e : encoded) out.insert(out.end(), e.begin(), e.end());
  return out;
}

std::vector<unsigned char> pf1ToRgba(const Pf1& picture) {
  const size_t pixels = picture.mask.size();
  std::vector<unsigned char> rgba(pixels * 4);
  for (size_t i = 0; i < pixels && 3 * i + 2 < picture.data.size(); i++) {
    rgba[4 * i + 0] = picture.data[3 * i + 0];
    rgba[4 * i + 1] = picture.data[3 * i + 1];
    rgba[4 * i + 2] = picture.data[3 * i + 2];
    rgba[4 * i + 3] = picture.mask[i] ? 255 : 0;
  }
  return rgba;
}

Pf1StreamReport walkPf1Stream(const unsigned char* stream, size_t size) {
  Pf1StreamReport r;
  size_t pos = 0;
  while (pos < size) {
    unsigned b = stream[pos++];
    size_t need = (b & 0x80) ? 1 : 2 * static_cast<size_t>(b);
    if (size - pos < need) {
      r.cutPacket = true;
      r.pixels += (b & 0x80) ? 0 : (size - pos) / 2;
      break;
    }
    r.pixels += b & 0x7F;
    pos += need;
  }
  return r;
}

}  // namespace author
