#pragma once
// A StorySnapshot as bytes, in the order its description lists the values
// (little-endian: numbers as 32 bits, the stream position as 64, flags as one
// byte, texts and names as a 16-bit length and their bytes).
#include <cstdint>
#include <vector>

#include "save/Bytes.h"
#include "save/StorySnapshot.h"

namespace save {

void putState(ByteWriter& w, const StorySnapshot& s);
std::vector<uint8_t> encodeState(const StorySnapshot& s);

// Reads what putState wrote; false for bytes no snapshot can have (`s` is
// then partly filled). Ranges are plausible()'s business.
bool getState(ByteReader& r, StorySnapshot& s);

}  // namespace save
