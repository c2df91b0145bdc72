#include "tools/author/pf1_commands.h"

#include <cstdio>
#include <iterator>
#include <sstream>

#include "graphics/Pf1.h"
#include "platform/KeptFile.h"
#include "platform/Png.h"
#include "platform/OutputFile.h"
#include "tools/author/pf1_codec.h"

namespace author {

namespace {

// A picture loaded with Pf1's own decoder.
struct Loaded : Pf1 {
  Loaded() : Pf1(0, nullptr) {}
};

// No picture comes near this.
constexpr size_t kMaxPictureInput = 256u << 20;

bool readBytes(const std::string& path, std::vector<unsigned char>& out, std::string& error) {
  if (platform::readKeptFile(path, kMaxPictureInput, out, error)) return true;
  if (error.empty()) error = "cannot open " + path;
  return false;
}


}  // namespace

bool pf1Encode(const std::string& out, const std::vector<std::string>& inputs, std::string& error) {
  if (inputs.empty()) {
    error = "no input pictures";
    return false;
  }
  if (inputs.size() > 0xFFFF) {
    error = "too many input pictures";
    return false;
  }
  int width = 0, height = 0;
  std::vector<std::vector<uint16_t>> blocks;
  for (const std::string& path : inputs) {
    int w = 0, h = 0;
    std::vector<unsigned char> rgba;
    std::string why;
    // The size is checked from the header, before the pixels take any memory.
    const long long most = Pf1::kMaxPixels / (inputs.size() == 2 ? 2 : 1);
    if (!platform::readPngRgba(path, w, h, rgba, &why, most)) {
      error = "cannot read " + path + (why.empty() ? "" : ": " + why);
      return false;
    }
    if (blocks.empty()) {
      width = w;
      height = h;
      if (w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF ||
          static_cast<long long>(w) * h * (inputs.size() == 2 ? 2 : 1) > Pf1::kMaxPixels) {
        error = path + ": " + std::to_string(w) + "x" + std::to_string(h) + " is too large for a PF1 picture";
        return false;
      }
    } else if (w != width || h != height) {
      error = path + " is " + std::to_string(w) + "x" + std::to_string(h) + ", but " + inputs[0] + " is " +
              std::to_string(width) + "x" + std::to_string(height) + "; all blocks must have one size";
      return false;
    }
    blocks.push_back(pf1Words(rgba.data(), static_cast<size_t>(w) * h));
  }
  return platform::writeFileAtomic(out, encodePf1(width, height, blocks), error);
}

bool pf1Decode(const std::string& in, const std::string& out, int block, std::string& error) {
  std::vector<unsigned char> file;
  if (!readBytes(in, file, error)) return false;
  Pf1Layout layout;
  if (!parsePf1Layout(file.data(), file.size(), layout)) {
    error = in + " is not a PF1 file (shorter than its 16-byte header)";
    return false;
  }
  if (block >= 0 && block >= layout.num) {
    error = in + " has " + std::to_string(layout.num) + " block(s); there is no block " + std::to_string(block);
    return false;
  }
  Loaded pic;
  if (block < 0)
    pic.loadFromMemory(file.data(), file.size());
  else
    pic.loadBlockFromMemory(file.data(), file.size(), block);
  if (pic.empty()) {
    error = in + ": no picture (" + std::to_string(layout.width) + "x" + std::to_string(layout.height) + ", " +
            std::to_string(layout.num) + " block(s))";
    return false;
  }
  std::vector<unsigned char> rgba = pf1ToRgba(pic);
  if (!platform::writePng(out, pic.width, pic.height, 4, rgba.data(), &error)) return false;
  return true;
}

bool pf1Info(const std::string& in, std::string& report, std::string& error) {
  std::vector<unsigned char> file;
  if (!readBytes(in, file, error)) return false;
  Pf1Layout layout;
  if (!parsePf1Layout(file.data(), file.size(), layout)) {
    error = in + " is damaged: " + std::to_string(file.size()) + " bytes, shorter than the 16-byte header";
    return false;
  }
  std::ostringstream os;
  os << in << ": " << layout.width << "x" << layout.height << ", " << layout.num << " block(s), " << file.size()
     << " bytes\n";
  std::vector<std::string> problems;
  if (layout.width == 0 || layout.height == 0) problems.push_back("the picture has no pixels");
  if (static_cast<long long>(layout.width) * layout.height > Pf1::kMaxPixels)
    problems.push_back("the picture is larger than the player loads");
  if (layout.num == 0) problems.push_back("there are no blocks");
  if (!layout.tableComplete) problems.push_back("the block size table runs past the end of the file");
  const size_t pixels = static_cast<size_t>(layout.width) * layout.height;
  size_t end = 16 + 4 * static_cast<size_t>(layout.num);
  for (int i = 0; i < layout.num && layout.tableComplete; i++) {
    const size_t declared = layout.declared[i], present = layout.size[i];
    os << "  block " << i << ": " << declared << " bytes";
    const std::string name = "block " + std::to_string(i);
    if (present < declared) {
      os << " (" << present << " present)";
      problems.push_back(name + " declares " + std::to_string(declared) + " bytes but " + std::to_string(present) +
                         " are in the file");
    }
    if (declared < 512) {
      problems.push_back(name + " is shorter than its 512-byte palette");
    } else if (present >= declared) {
      Pf1StreamReport s = walkPf1Stream(file.data() + layout.offset[i], declared - 512);
      os << ", stream gives " << s.pixels << " of " << pixels << " pixels";
      if (s.cutPacket) problems.push_back(name + "'s last packet runs past its stream");
      if (s.pixels < pixels) problems.push_back(name + "'s stream stops short of the picture");
      if (s.pixels > pixels) problems.push_back(name + "'s stream gives more pixels than the picture holds");
    }
    os << "\n";
    end = layout.offset[i] + present;
  }
  if (layout.tableComplete && end < file.size())
    os << "  " << (file.size() - end) << " bytes after the last block (ignored)\n";
  report = os.str();
  if (!problems.empty()) {
    error = in + " is damaged: " + problems[0];
    for (size_t i = 1; i < problems.size(); i++) error += "; " + problems[i];
    return false;
  }
  return true;
}

}  // namespace author
