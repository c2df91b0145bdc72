#pragma once
// Small PNG helpers over libpng, for frame shots, tests and the tools.
#include <string>
#include <vector>

namespace platform {

// Writes 8-bit RGB (channels 3) or RGBA (channels 4) rows, top-down, packed,
// through the output file module (a half-written file is never left). False,
// with a reason in `error` when given, on failure.
bool writePng(const std::string& path, int width, int height, int channels, const unsigned char* pixels,
              std::string* error = nullptr);

// Reads any PNG as 8-bit RGBA, top-down. False (with a reason) on failure,
// and before allocating anything for a picture of more than `maxPixels`
// pixels when that is positive.
bool readPngRgba(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgba,
                 std::string* error = nullptr, long long maxPixels = 0);

}  // namespace platform
