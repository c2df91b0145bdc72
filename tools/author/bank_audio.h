#pragma once
// Turning sound files into bank clips and back.
#include <string>

#include "tools/author/bank_file.h"

namespace author {

// Reads any sound file libsndfile knows as one clip: mixed down to mono,
// resampled to `rate` Hz (left alone when it is at that rate already) and
// rounded to signed 8-bit without dither. False, with `error` set, on failure.
bool readClip(const std::string& path, int rate, Clip& clip, std::string& error);

// Writes a clip as an 8-bit mono WAV file at `rate` Hz; the file appears
// complete or not at all.
bool writeClipWav(const std::string& path, const Clip& clip, int rate, std::string& error);

}  // namespace author
