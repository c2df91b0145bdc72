#pragma once
// A Windows icon file (.ico) holding PNG images, as Windows Vista and later
// read them (and windres takes for a program's icon resource).
#include <string>
#include <vector>

namespace author {

// Packs PNG files' bytes into one .ico, in the order given. False with a
// reason when one is not a PNG or is larger than 256 x 256.
bool packIco(const std::vector<std::vector<unsigned char>>& pngs, std::vector<unsigned char>& ico, std::string& error);

}  // namespace author
