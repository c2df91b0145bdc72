// PF1 loading and block decoding.
#include "graphics/Pf1.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "shell/FileUtils.h"

namespace {

unsigned be16(const unsigned char* p) { return (static_cast<unsigned>(p[0]) << 8) | p[1]; }

unsigned long be32(const unsigned char* p) {
  return (static_cast<unsigned long>(be16(p)) << 16) | be16(p + 2);
}

struct PalEntry {
  unsigned char r, g, b;
  signed char mask;
};

// 15-bit colour word: red bits 0-4, green 5-9, blue 10-14, each v -> v * 8;
// only the whole word 0 is transparent (0x8000 is opaque black).
inline PalEntry expand(unsigned w) {
  return {static_cast<unsigned char>((w & 0x1F) << 3), static_cast<unsigned char>(((w >> 5) & 0x1F) << 3),
          static_cast<unsigned char>(((w >> 10) & 0x1F) << 3), static_cast<signed char>(w != 0)};
}

// Reads a whole open file into memory; empty on failure.
std::vector<unsigned char> readAll(FILE* fp) {
  std::vector<unsigned char> buf;
  long n = fsize(fp);
  if (n <= 0) return buf;
  try {
    buf.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    return {};
  }
  size_t got = std::fread(buf.data(), 1, buf.size(), fp);
  buf.resize(got);
  return buf;
}

}  // namespace

bool parsePf1Layout(const unsigned char* file, size_t size, Pf1Layout& out) {
  out = Pf1Layout();
  if (!file || size < 16) return false;
  out.width = static_cast<int>(be16(file + 6));
  out.height = static_cast<int>(be16(file + 8));
  out.num = static_cast<int>(be16(file + 12));
  // Blocks start after the size table, back to back; sums are kept in 64 bits
  // and every extent is clipped to the file so lying sizes cannot reach past it.
  unsigned long long pos = 16ULL + 4ULL * static_cast<unsigned>(out.num);
  for (int i = 0; i < out.num; i++) {
    size_t entry = 16 + 4 * static_cast<size_t>(i);
    unsigned long long declared = 0;
    if (entry + 4 <= size) {
      declared = be32(file + entry);
    } else {
      out.tableComplete = false;
    }
    size_t start = pos < size ? static_cast<size_t>(pos) : size;
    unsigned long long end = pos + declared;
    size_t stop = end < size ? static_cast<size_t>(end) : size;
    out.offset.push_back(start);
    out.size.push_back(stop - start);
    out.declared.push_back(static_cast<size_t>(declared));
    pos = end;
  }
  return true;
}

bool Pf1::readWholeFile(int type, const char* fname, std::vector<unsigned char>& out) {
  out.clear();
  if (!fname) return false;
  FILE* fp = myFopen(type, fname, "rb");
  if (!fp) return false;
  out = readAll(fp);
  std::fclose(fp);
  return true;
}

Pf1::Pf1(int type, const char* fname) {
  std::vector<unsigned char> buf;
  if (readWholeFile(type, fname, buf)) loadFromMemory(buf.data(), buf.size());
}

void Pf1::clear() {
  std::vector<unsigned char>().swap(data);
  std::vector<signed char>().swap(mask);
  width = height = r = 0;
}

bool Pf1::setSize(int w, int h, int blocks) {
  long long pixels = static_cast<long long>(w) * h * blocks;
  if (w <= 0 || h <= 0 || pixels > kMaxPixels) {
    clear();
    return false;
  }
  width = w;
  height = h;
  r = static_cast<int>(std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h));
  return true;
}

void Pf1::loadFromMemory(const unsigned char* file, size_t size) {
  clear();
  Pf1Layout layout;
  if (!parsePf1Layout(file, size, layout) || layout.num < 1) return;
  // Two blocks are one picture, block 1 under block 0; any other count shows block 0 only.
  int blocks = layout.num == 2 ? 2 : 1;
  if (!setSize(layout.width, layout.height, blocks)) return;
  decodeBlock(file + layout.offset[0], static_cast<long long>(layout.declared[0]),
              static_cast<long long>(layout.size[0]));
  if (blocks == 1 || empty()) return;
  std::vector<unsigned char> topData;
  std::vector<signed char> topMask;
  topData.swap(data);
  topMask.swap(mask);
  decodeBlock(file + layout.offset[1], static_cast<long long>(layout.declared[1]),
              static_cast<long long>(layout.size[1]));
  if (empty()) {
    clear();
    return;
  }
  try {
    topData.insert(topData.end(), data.begin(), data.end());
    topMask.insert(topMask.end(), mask.begin(), mask.end());
  } catch (const std::bad_alloc&) {
    clear();
    return;
  }
  data.swap(topData);
  mask.swap(topMask);
  setSize(width, height * 2, 1);
}

void Pf1::loadBlockFromMemory(const unsigned char* file, size_t size, int block) {
  clear();
  Pf1Layout layout;
  if (!parsePf1Layout(file, size, layout) || block < 0 || block >= layout.num) return;
  if (!setSize(layout.width, layout.height, 1)) return;
  decodeBlock(file + layout.offset[block], static_cast<long long>(layout.declared[block]),
              static_cast<long long>(layout.size[block]));
}

void Pf1::decode(const unsigned char* buf, long size) { decodeBlock(buf, size, size); }

void Pf1::decodeBlock(const unsigned char* buf, long long declared, long long available) {
  // Fresh arrays, cleared: pixels a short stream never reaches stay transparent black.
  const size_t pixels = width > 0 && height > 0 ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
  try {
    std::vector<unsigned char>(pixels * 3, 0).swap(data);
    std::vector<signed char>(pixels, 0).swap(mask);
  } catch (const std::bad_alloc&) {
    std::vector<unsigned char>().swap(data);
    std::vector<signed char>().swap(mask);
    return;
  }
  if (!buf || pixels == 0) return;
  if (available > declared) available = declared;
  if (available < 0) available = 0;

  // The palette is the block's last 512 bytes; entries outside what is present read as 0.
  PalEntry pal[256];
  const long long palStart = declared - 512;
  for (int i = 0; i < 256; i++) {
    long long at = palStart + 2 * i;
    unsigned w = (at >= 0 && at + 1 < available) ? be16(buf + at) : 0;
    pal[i] = expand(w);
  }

  long long streamEnd = palStart < available ? palStart : available;
  const unsigned char* in = buf;
  const unsigned char* end = buf + (streamEnd > 0 ? streamEnd : 0);
  unsigned char* out = data.data();
  signed char* om = mask.data();
  size_t left = pixels;

  // Packets: 0x80|n = n pixels of palette entry k (next byte); 0x00..0x7F = that
  // many literal colour words. A packet cut by the stream's end stops decoding;
  // pixels beyond width x height are dropped.
  while (in < end && left > 0) {
    unsigned b = *in++;
    if (b & 0x80) {
      if (in >= end) break;
      const PalEntry e = pal[*in++];
      size_t n = b & 0x7F;
      if (n > left) n = left;
      // Four pixels (12 bytes) per store, then the rest one by one.
      const unsigned char four[12] = {e.r, e.g, e.b, e.r, e.g, e.b, e.r, e.g, e.b, e.r, e.g, e.b};
      size_t i = 0;
      for (; i + 4 <= n; i += 4, out += 12) std::memcpy(out, four, 12);
      for (; i < n; i++, out += 3) std::memcpy(out, four, 3);
      std::memset(om, e.mask, n);
      om += n;
      left -= n;
    } else {
      size_t n = b;
      size_t whole = static_cast<size_t>(end - in) / 2;
      bool cut = n > whole;
      if (cut) n = whole;
      if (n > left) n = left;
      for (size_t i = 0; i < n; i++) {
        PalEntry e = expand(be16(in));
        in += 2;
        out[0] = e.r;
        out[1] = e.g;
        out[2] = e.b;
        out += 3;
        *om++ = e.mask;
      }
      left -= n;
      if (cut) break;
      in += 2 * (static_cast<size_t>(b) - n);  // words past a full picture are skipped
    }
  }
}
