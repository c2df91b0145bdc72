#pragma once
// A decoded PF1 picture: 24-bit pixels (R, G, B per pixel, rows top to bottom)
// and a per-pixel opacity mask (1 opaque, 0 transparent). Empty data means an
// empty picture, which every drawing operation draws as nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "graphics/Fade.h"

class ZegDevice;
struct Pf1Layout;

// Where the bytes of a PF1 file come from: a buffer, or an open file read a
// piece at a time, so that loading reads only what the picture uses and its
// memory never grows with a size the file merely claims.
class Pf1Source {
 public:
  virtual ~Pf1Source() = default;
  virtual uint64_t size() const = 0;
  // Copies up to `n` bytes at `offset` into `out`; returns how many.
  virtual size_t read(uint64_t offset, unsigned char* out, size_t n) const = 0;
  // The whole file when it is in memory (decoded in place), else null.
  virtual const unsigned char* bytes() const { return nullptr; }
  // The first offset at or after `offset` that may hold a nonzero byte
  // (holes of a sparse file read as zeros); `offset` when unknown.
  virtual uint64_t nextData(uint64_t offset) const { return offset; }
};

// A file image in memory. `direct` false makes it read like a file (tests).
class Pf1MemorySource : public Pf1Source {
 public:
  Pf1MemorySource(const unsigned char* file, size_t size, bool direct = true)
      : file_(file), size_(file ? size : 0), direct_(direct) {}
  uint64_t size() const override { return size_; }
  size_t read(uint64_t offset, unsigned char* out, size_t n) const override;
  const unsigned char* bytes() const override { return direct_ ? file_ : nullptr; }

 private:
  const unsigned char* file_;
  size_t size_;
  bool direct_;
};

// An open file, read without moving its stream position.
class Pf1FileSource : public Pf1Source {
 public:
  explicit Pf1FileSource(std::FILE* fp);
  uint64_t size() const override { return size_; }
  size_t read(uint64_t offset, unsigned char* out, size_t n) const override;
  uint64_t nextData(uint64_t offset) const override;

 private:
  std::FILE* fp_;
  uint64_t size_ = 0;
};

class Pf1 : public Fade {
 public:
  // Loads file `fname` from the directory of file type `type` (see myFopen).
  // A null fname makes an empty picture without opening anything.
  Pf1(int type, const char* fname);
  virtual ~Pf1() = default;

  int width = 0;
  int height = 0;
  int r = 0;                        // diagonal: sqrt(width^2 + height^2), truncated
  std::vector<unsigned char> data;  // width * height * 3, or empty
  std::vector<signed char> mask;    // width * height, or empty

  bool empty() const { return data.empty(); }

  // Full-screen wrapping draw; fade level 128 is unchanged; mask != 0 skips transparent pixels.
  void draw(ZegDevice* zeg, int fadeLevel, int scrollX, int scrollY, int mask);
  void draw(ZegDevice* zeg, int fadeLevel, int scrollX, int scrollY);
  void draw(ZegDevice* zeg, int fadeLevel);
  void draw(ZegDevice* zeg);
  void scrollX(ZegDevice* zeg, int scroll);
  void scrollY(ZegDevice* zeg, int scroll, int fade);
  void scrollY(ZegDevice* zeg, int scroll);
  void zoom(ZegDevice* zeg, int zoom);

  // Loads a PF1 file from `src`, as the constructor does from the file.
  void loadFrom(const Pf1Source& src);
  // A whole PF1 file image already in memory (tools and fuzzers).
  void loadFromMemory(const unsigned char* file, size_t size);
  // Loads block `block` of a PF1 file image alone, never stacked (tools: faces
  // hold seven blocks). Empty when the block does not exist.
  void loadBlockFrom(const Pf1Source& src, int block);
  void loadBlockFromMemory(const unsigned char* file, size_t size, int block);

  // Bytes read from a file at a time while decoding (test hook: any size
  // from 1 decodes the same).
  static void setReadChunk(size_t bytes);

  // Largest picture (pixels, after stacking) a file may describe; larger ones load empty.
  static constexpr long long kMaxPixels = 16LL * 1024 * 1024;

 protected:
  // Decodes one block of `size` bytes into fresh data and mask for the current
  // width and height. Never reads past the block or writes past the arrays.
  void decode(const unsigned char* buf, long size);
  // The same for a block declared `declared` bytes long of which only the
  // first `available` are present: the stream is cut at the missing part, and
  // palette entries that are missing are transparent black.
  void decodeBlock(const unsigned char* buf, long long declared, long long available);
  // Block `block` of `layout` from `src`: only the palette and as much of the
  // stream as the picture takes are read. A failed allocation leaves the
  // picture empty.
  void decodeBlock(const Pf1Source& src, const Pf1Layout& layout, int block);
  // Sets width, height and r for a picture of `blocks` stacked blocks; false
  // (and an empty picture) when the size is zero or too large.
  bool setSize(int w, int h, int blocks);
  // Forgets the picture: empty data and mask, zero size.
  void clear();
  // Opens a data file through myFopen; null when `fname` is null or the file cannot be opened.
  static std::FILE* openData(int type, const char* fname);
};

// Where the blocks of a PF1 file held in memory lie, clipped to the file.
struct Pf1Layout {
  int width = 0;
  int height = 0;
  int num = 0;                    // block count from the header
  std::vector<size_t> offset;     // per block: start in the file
  std::vector<size_t> size;       // per block: bytes available (clipped to the file)
  std::vector<size_t> declared;   // per block: size written in the table (0 when the entry is missing)
  bool tableComplete = true;      // false when the size table runs past the file
};
// False when the file is too short for its header. Reads only the header and
// the size table.
bool parsePf1Layout(const Pf1Source& src, Pf1Layout& out);
bool parsePf1Layout(const unsigned char* file, size_t size, Pf1Layout& out);
