#pragma once
// A decoded PF1 picture: 24-bit pixels (R, G, B per pixel, rows top to bottom)
// and a per-pixel opacity mask (1 opaque, 0 transparent). Empty data means an
// empty picture, which every drawing operation draws as nothing.
#include <cstddef>
#include <vector>

#include "graphics/Fade.h"

class ZegDevice;

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

  // Loads a whole PF1 file image already in memory, as the constructor does
  // with the file's bytes (used by the constructor, the tools and the fuzzers).
  void loadFromMemory(const unsigned char* file, size_t size);
  // Loads block `block` of a PF1 file image alone, never stacked (tools: faces
  // hold seven blocks). Empty when the block does not exist.
  void loadBlockFromMemory(const unsigned char* file, size_t size, int block);

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
  // Sets width, height and r for a picture of `blocks` stacked blocks; false
  // (and an empty picture) when the size is zero or too large.
  bool setSize(int w, int h, int blocks);
  // Forgets the picture: empty data and mask, zero size.
  void clear();
  // Reads a whole data file through myFopen; false (nothing read) when it cannot be opened.
  static bool readWholeFile(int type, const char* fname, std::vector<unsigned char>& out);
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
// False when the file is too short for its header.
bool parsePf1Layout(const unsigned char* file, size_t size, Pf1Layout& out);
