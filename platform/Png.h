#pragma once
// Small PNG helpers over libpng, for frame shots, tests and the tools.
#include <string>
#include <vector>

namespace platform {

// Writes 8-bit RGB (channels 3) or RGBA (channels 4) rows, top-down, packed.
// Writes to a temporary name and renames, so no half-written file is left.
bool writePng(const std::string& path, int width, int height, int channels, const unsigned char* pixels);

// Reads any PNG as 8-bit RGBA, top-down. False (with a reason) on failure.
bool readPngRgba(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgba,
                 std::string* error = nullptr);

}  // namespace platform
