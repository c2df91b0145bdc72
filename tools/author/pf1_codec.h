#pragma once
// The PF1 picture format on the authoring side: colour reduction, the
// run-length block encoder and the file writer, plus a stream walker that
// tells how far a damaged block decodes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Pf1;

namespace author {

// 15-bit colour words of `pixels` RGBA pixels: each component v >> 3 (red in
// bits 0-4, green 5-9, blue 10-14); alpha below 128 is transparent (word 0);
// opaque pure black becomes 0x8000 so that it stays opaque.
std::vector<uint16_t> pf1Words(const unsigned char* rgba, size_t pixels);

// One block: packet stream then the 256-word palette. The palette holds the
// (up to 256) colours whose runs save the most bytes as palette runs; their
// runs become palette runs, every other pixel goes into literal runs; runs
// are split at 127 pixels.
std::vector<unsigned char> encodePf1Block(const std::vector<uint16_t>& words);

// A whole PF1 file: "PF1" magic and zeros in the bytes the reader ignores,
// the size table, then the blocks. Every block holds width x height words.
std::vector<unsigned char> encodePf1(int width, int height, const std::vector<std::vector<uint16_t>>& blocks);

// A decoded picture as RGBA, alpha 255 where opaque and 0 where transparent.
std::vector<unsigned char> pf1ToRgba(const Pf1& picture);

// How a block's stream decodes, without decoding it.
struct Pf1StreamReport {
  size_t pixels = 0;      // pixels the stream produces
  bool cutPacket = false; // the last packet runs past the stream
};
Pf1StreamReport walkPf1Stream(const unsigned char* stream, size_t size);

}  // namespace author
