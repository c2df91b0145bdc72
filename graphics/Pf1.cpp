// PF1 loading and block decoding.
#include "graphics/Pf1.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/FileSystem.h"
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

size_t g_readChunk = 64 * 1024;

// Decodes packets of a pixel stream into the picture being built.
struct PacketDecoder {
  const PalEntry* pal;
  unsigned char* out;
  signed char* om;
  size_t left;  // pixels still to produce

  // Decodes the whole packets in [in, in + n); returns the bytes used. A
  // packet cut by the end stops there: when `last`, decoding ends with it
  // (the whole colour words of a cut literal run still count), otherwise it
  // is left for the next call with more bytes. Stops once the picture is full.
  size_t feed(const unsigned char* in, size_t n, bool last, bool& stopped);
};

size_t PacketDecoder::feed(const unsigned char* begin, size_t n, bool last, bool& stopped) {
  const unsigned char* in = begin;
  const unsigned char* end = begin + n;
  stopped = false;
  // Locals, not the members: stores through `out` may alias them, which kept
  // the compiler from holding them in registers (twice the decode time).
  unsigned char* out = this->out;
  signed char* om = this->om;
  size_t left = this->left;
  // Packets: 0x80|n = n pixels of palette entry k (next byte); 0x00..0x7F = that
  // many literal colour words. Pixels beyond width x height are dropped.
  while (in < end && left > 0) {
    unsigned b = *in;
    if (b & 0x80) {
      if (end - in < 2) {
        stopped = last;
        break;
      }
      const PalEntry e = pal[in[1]];
      in += 2;
      size_t k = b & 0x7F;
      if (k > left) k = left;
      // Four pixels (12 bytes) per store, then the rest one by one.
      const unsigned char four[12] = {e.r, e.g, e.b, e.r, e.g, e.b, e.r, e.g, e.b, e.r, e.g, e.b};
      size_t i = 0;
      for (; i + 4 <= k; i += 4, out += 12) std::memcpy(out, four, 12);
      for (; i < k; i++, out += 3) std::memcpy(out, four, 3);
      std::memset(om, e.mask, k);
      om += k;
      left -= k;
    } else {
      const size_t whole = static_cast<size_t>(end - in - 1) / 2;
      const bool cut = b > whole;
      if (cut && !last) break;
      ++in;
      size_t k = cut ? whole : b;
      if (k > left) k = left;
      for (size_t i = 0; i < k; i++) {
        PalEntry e = expand(be16(in));
        in += 2;
        out[0] = e.r;
        out[1] = e.g;
        out[2] = e.b;
        out += 3;
        *om++ = e.mask;
      }
      left -= k;
      if (cut) {
        stopped = true;
        break;
      }
      in += 2 * (static_cast<size_t>(b) - k);  // words past a full picture are skipped
    }
  }
  if (last && in >= end) stopped = true;
  this->out = out;
  this->om = om;
  this->left = left;
  return static_cast<size_t>(in - begin);
}

}  // namespace

size_t Pf1MemorySource::read(uint64_t offset, unsigned char* out, size_t n) const {
  if (offset >= size_) return 0;
  if (n > size_ - offset) n = static_cast<size_t>(size_ - offset);
  std::memcpy(out, file_ + offset, n);
  return n;
}

Pf1FileSource::Pf1FileSource(std::FILE* fp) : fp_(fp) {
  const long n = fp ? fsize(fp) : 0;
  size_ = n > 0 ? static_cast<uint64_t>(n) : 0;
}

size_t Pf1FileSource::read(uint64_t offset, unsigned char* out, size_t n) const {
  if (offset >= size_) return 0;
  return platform::readAt(fp_, static_cast<long long>(offset), out, n);
}

uint64_t Pf1FileSource::nextData(uint64_t offset) const {
  const long long next = platform::nextDataAt(fp_, static_cast<long long>(offset));
  return next > static_cast<long long>(offset) ? static_cast<uint64_t>(next) : offset;
}

bool parsePf1Layout(const Pf1Source& src, Pf1Layout& out) {
  out = Pf1Layout();
  const uint64_t size = src.size();
  unsigned char head[16];
  if (size < 16 || src.read(0, head, 16) != 16) return false;
  out.width = static_cast<int>(be16(head + 6));
  out.height = static_cast<int>(be16(head + 8));
  out.num = static_cast<int>(be16(head + 12));
  // The size table, as far as the file holds it (at most 256 KB).
  const uint64_t tableBytes = 4ULL * static_cast<unsigned>(out.num);
  std::vector<unsigned char> table(static_cast<size_t>(std::min<uint64_t>(tableBytes, size - 16)));
  if (!table.empty() && src.read(16, table.data(), table.size()) != table.size()) return false;
  // Blocks start after the size table, back to back; sums are kept in 64 bits
  // and every extent is clipped to the file so lying sizes cannot reach past it.
  unsigned long long pos = 16ULL + tableBytes;
  for (int i = 0; i < out.num; i++) {
    const size_t entry = 4 * static_cast<size_t>(i);
    unsigned long long declared = 0;
    if (entry + 4 <= table.size()) {
      declared = be32(&table[entry]);
    } else {
      out.tableComplete = false;
    }
    const uint64_t start = pos < size ? pos : size;
    const unsigned long long end = pos + declared;
    const uint64_t stop = end < size ? end : size;
    out.offset.push_back(static_cast<size_t>(start));
    out.size.push_back(static_cast<size_t>(stop - start));
    out.declared.push_back(static_cast<size_t>(declared));
    pos = end;
  }
  return true;
}

bool parsePf1Layout(const unsigned char* file, size_t size, Pf1Layout& out) {
  return parsePf1Layout(Pf1MemorySource(file, size), out);
}

std::FILE* Pf1::openData(int type, const char* fname) { return fname ? myFopen(type, fname, "rb") : nullptr; }

void Pf1::setReadChunk(size_t bytes) { g_readChunk = bytes > 0 ? bytes : 1; }

Pf1::Pf1(int type, const char* fname) {
  std::FILE* fp = openData(type, fname);
  if (!fp) return;
  loadFrom(Pf1FileSource(fp));
  std::fclose(fp);
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

void Pf1::loadFromMemory(const unsigned char* file, size_t size) { loadFrom(Pf1MemorySource(file, size)); }

void Pf1::loadFrom(const Pf1Source& src) {
  clear();
  Pf1Layout layout;
  try {
    if (!parsePf1Layout(src, layout) || layout.num < 1) return;
  } catch (const std::bad_alloc&) {
    return;
  }
  // Two blocks are one picture, block 1 under block 0; any other count shows block 0 only.
  int blocks = layout.num == 2 ? 2 : 1;
  if (!setSize(layout.width, layout.height, blocks)) return;
  decodeBlock(src, layout, 0);
  if (blocks == 1 || empty()) return;
  std::vector<unsigned char> topData;
  std::vector<signed char> topMask;
  topData.swap(data);
  topMask.swap(mask);
  decodeBlock(src, layout, 1);
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
  loadBlockFrom(Pf1MemorySource(file, size), block);
}

void Pf1::loadBlockFrom(const Pf1Source& src, int block) {
  clear();
  Pf1Layout layout;
  try {
    if (!parsePf1Layout(src, layout) || block < 0 || block >= layout.num) return;
  } catch (const std::bad_alloc&) {
    return;
  }
  if (!setSize(layout.width, layout.height, 1)) return;
  decodeBlock(src, layout, block);
}

void Pf1::decode(const unsigned char* buf, long size) { decodeBlock(buf, size, size); }

void Pf1::decodeBlock(const unsigned char* buf, long long declared, long long available) {
  if (available > declared) available = declared;
  if (available < 0) available = 0;
  Pf1Layout one;
  one.num = 1;
  one.offset.push_back(0);
  one.size.push_back(static_cast<size_t>(available));
  one.declared.push_back(static_cast<size_t>(declared < 0 ? 0 : declared));
  decodeBlock(Pf1MemorySource(buf, static_cast<size_t>(available)), one, 0);
}

void Pf1::decodeBlock(const Pf1Source& src, const Pf1Layout& layout, int block) {
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
  if (pixels == 0 || block < 0 || block >= static_cast<int>(layout.offset.size())) return;
  const uint64_t start = layout.offset[static_cast<size_t>(block)];
  const long long declared = static_cast<long long>(layout.declared[static_cast<size_t>(block)]);
  const long long available = std::min<long long>(static_cast<long long>(layout.size[static_cast<size_t>(block)]), declared);

  // The palette is the block's last 512 bytes; entries outside what is present read as 0.
  PalEntry pal[256];
  const long long palStart = declared - 512;
  unsigned char palBytes[512] = {};
  const long long palFrom = std::max(0LL, palStart);
  if (palFrom < available) src.read(start + static_cast<uint64_t>(palFrom), palBytes + (palFrom - palStart),
                                    static_cast<size_t>(std::min(available, declared) - palFrom));
  for (int i = 0; i < 256; i++) {
    long long at = palStart + 2 * i;
    unsigned w = (at >= 0 && at + 1 < available) ? be16(palBytes + 2 * i) : 0;
    pal[i] = expand(w);
  }

  const long long streamEnd = std::max(0LL, palStart < available ? palStart : available);
  PacketDecoder dec{pal, data.data(), mask.data(), pixels};
  bool stopped = false;
  if (const unsigned char* whole = src.bytes()) {
    dec.feed(whole + start, static_cast<size_t>(streamEnd), true, stopped);
    return;
  }
  // From a file: a chunk at a time; a packet cut by a chunk's end waits for
  // the next (a packet is at most 255 bytes).
  std::vector<unsigned char> buf;
  try {
    buf.resize(g_readChunk + 256);
  } catch (const std::bad_alloc&) {
    return;
  }
  uint64_t pos = start;
  const uint64_t end = start + static_cast<uint64_t>(streamEnd);
  size_t carry = 0;
  while (dec.left > 0 && !stopped) {
    // Between packets, a hole is a run of zero bytes: empty literal runs that
    // produce nothing, so it is skipped unread.
    if (carry == 0 && pos < end) pos = std::min(end, std::max(pos, src.nextData(pos)));
    const size_t want = static_cast<size_t>(std::min<uint64_t>(g_readChunk, end - pos));
    const size_t got = want ? src.read(pos, buf.data() + carry, want) : 0;
    pos += got;
    const size_t have = carry + got;
    const bool last = pos >= end || got < want;
    const size_t used = dec.feed(buf.data(), have, last, stopped);
    if (last) break;
    carry = have - used;
    std::memmove(buf.data(), buf.data() + used, carry);
  }
}
