#pragma once
// A seven-block face: base picture, three mouth shapes, three eye states.
#include <cstdint>
#include <vector>

#include "graphics/Pf1.h"

class Face : public Pf1 {
 public:
  Face(int type, const char* fname);

  std::vector<unsigned char> facedata[6];  // overlays 0-2 mouths, 3-5 eyes
  std::vector<signed char> facemask[6];

  // m: scale in 128ths (0 draws nothing); o: angle in 256ths of a turn;
  // site 0 centres the face at column 37, else 285; the centre row is 121.
  void draw(ZegDevice* zeg, int m, int o, int site, int eyes, int mouth);

  // Loads a face file from `src` (the constructor), or an image already in
  // memory (tools, fuzzers).
  void loadFaceFrom(const Pf1Source& src);
  void loadFaceFromMemory(const unsigned char* file, size_t size);

 private:
  // The layers of the last drawn mouth and eyes composed into one picture of
  // screen-order pixels B, G, R, A (A 0xFF opaque, 0 transparent); composed
  // again when the selection changes or a face is loaded. The layers are not
  // changed after loading.
  std::vector<uint32_t> composed_;
  int composedMouth_ = -2;
  int composedEyes_ = -2;
  void compose(int eyes, int mouth);
};
