#pragma once
// An application icon cut from a picture: a square region scaled to a square
// icon by averaging, transparency kept.
#include <string>
#include <vector>

namespace author {

struct IconCrop {
  int x = 0, y = 0;  // top-left corner in the picture
  int side = 0;      // 0: the largest square that fits, centred
};

// Scales the `crop` square of an RGBA picture (top-down rows) to `size` x `size`
// RGBA. Each icon pixel is the area-weighted mean of the source pixels it
// covers, colours weighted by their alpha. False with a reason when the crop
// does not lie inside the picture or a size is out of range.
bool scaleIcon(const std::vector<unsigned char>& rgba, int width, int height, const IconCrop& crop, int size,
               std::vector<unsigned char>& out, std::string& error);

// `lmtool icon`: reads the PNG `in`, writes the icon PNG `out`.
bool makeIcon(const std::string& in, const std::string& out, const IconCrop& crop, int size, std::string& error);

}  // namespace author
