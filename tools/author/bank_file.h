#pragma once
// The PCM bank file: big-endian, 4 reserved bytes, clip count, clip lengths,
// then the clips' signed 8-bit mono samples back to back.
#include <cstdint>
#include <string>
#include <vector>

namespace author {

using Clip = std::vector<signed char>;

// The bank file holding `clips` in order.
std::vector<unsigned char> encodeBank(const std::vector<Clip>& clips);

// Splits a bank file into its clips. False, with `error` set, when the count
// or the lengths do not fit the file.
bool decodeBank(const std::vector<unsigned char>& file, std::vector<Clip>& clips, std::string& error);

}  // namespace author
