#include "tools/author/ico_file.h"

#include <cstdint>
#include <cstring>

namespace author {

namespace {

const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t bigEndian32(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(static_cast<unsigned char>(v));
  out.push_back(static_cast<unsigned char>(v >> 8));
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

}  // namespace

bool packIco(const std::vector<std::vector<unsigned char>>& pngs, std::vector<unsigned char>& ico, std::string& error) {
  if (pngs.empty() || pngs.size() > 0xFFFF) {
    error = "an icon needs 1 to 65535 images";
    return false;
  }
  ico.clear();
  put16(ico, 0);  // reserved
  put16(ico, 1);  // an icon, not a cursor
  put16(ico, static_cast<unsigned>(pngs.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * pngs.size());
  for (size_t i = 0; i < pngs.size(); ++i) {
    const std::vector<unsigned char>& png = pngs[i];
    // The signature, then the IHDR chunk: length, type, width, height.
    if (png.size() < 24 || std::memcmp(png.data(), kPngSignature, 8) != 0 || std::memcmp(&png[12], "IHDR", 4) != 0) {
      error = "image " + std::to_string(i + 1) + " is not a PNG";
      return false;
    }
    const uint32_t width = bigEndian32(&png[16]), height = bigEndian32(&png[20]);
    if (width < 1 || width > 256 || height < 1 || height > 256) {
      error = "image " + std::to_string(i + 1) + " is " + std::to_string(width) + " x " + std::to_string(height) +
              "; an icon's images are at most 256 x 256";
      return false;
    }
    ico.push_back(static_cast<unsigned char>(width & 0xFF));  // 0 stands for 256
    ico.push_back(static_cast<unsigned char>(height & 0xFF));
    ico.push_back(0);  // no palette
    ico.push_back(0);
    put16(ico, 1);   // planes
    put16(ico, 32);  // bits per pixel
    put32(ico, static_cast<uint32_t>(png.size()));
    put32(ico, offset);
    offset += static_cast<uint32_t>(png.size());
  }
  for (const auto& png : pngs) ico.insert(ico.end(), png.begin(), png.end());
  return true;
}

}  // namespace author
