#pragma once
// Drawing for the player's own screens, straight into the 320 x 240 frame:
// dimming, the story's blue panels with yellow frames, the cursor bar, text
// in the story's own font and small pictures.
#include <cstdint>
#include <optional>
#include <string>

#include "graphics/Font.h"

class ZegDevice;

namespace save {
struct Thumbnail;
}

namespace ui {

class Canvas {
 public:
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 240;
  static constexpr int kLine = 16;  // height of a line of text

  explicit Canvas(ZegDevice* zeg);
  bool ok() const { return ok_; }

  // Every colour byte to 3/8 of its value.
  void dim();
  // Rectangles are inclusive and clipped to the frame.
  void fill(int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b);
  // The story's panel tint: each byte keeps a sixteenth, lifted into blue.
  void tint(int x0, int y0, int x1, int y1);
  // A tinted panel inside a two-pixel yellow frame.
  void panel(int x0, int y0, int x1, int y1);
  // The cursor bar: tinted red with a vertical gradient, as the choice window's.
  void bar(int x0, int y0, int x1, int y1);
  // Shift-JIS text at (x, y), top-left; `level` is a fade level (128 plain,
  // lower is darker); ink only where clipLeft < x < clipRight.
  void text(int x, int y, const std::string& sjis, int level = 128, int clipLeft = -1, int clipRight = kWidth);
  // A picture of `rgb` bytes at (x, y).
  void picture(int x, int y, const save::Thumbnail& t);

  // Pixels across: 8 per single byte, 16 per double-byte character.
  static int textWidth(const std::string& sjis);
  // The longest whole-character prefix of `sjis` no wider than `pixels`.
  static std::string fit(const std::string& sjis, int pixels);
  // The same, ended after a space rather than inside a Latin word when the
  // text goes on (a line of a wrapped text).
  static std::string fitWords(const std::string& sjis, int pixels);

 private:
  unsigned char* pixel(int x, int y);
  bool clip(int& x0, int& y0, int& x1, int& y1) const;

  ZegDevice* zeg_;
  bool ok_;
  std::optional<Font> font_;  // made on the first text: making one may load the font file
};

// A `width` x `height` picture of the frame, each pixel the mean of its block.
void shrinkFrame(const ZegDevice& zeg, int width, int height, save::Thumbnail& out);

}  // namespace ui
