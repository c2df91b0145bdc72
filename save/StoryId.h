#pragma once
// What tells one story's data from another's: a 64-bit hash of "kirune.ini"
// and of the "ASTARTUP.BIN" and "EVENT.BIN" it names (whole up to 16 MiB;
// a larger file by its size and 64 evenly spaced pieces). Saves and read
// marks belong to one story id.
#include <cstdint>
#include <string>

namespace save {

// The id of the story in the working directory. Opens the files directly,
// not as the story's data files (the frame loop never sees these opens).
// A stop signal cuts the reading short (the id is then of no use).
uint64_t currentStoryId();

// The size of the story's EVENT.BIN in the working directory; -1 without one.
long long storyEventBytes();

// Sixteen lower-case hexadecimal digits.
std::string storyIdText(uint64_t id);

}  // namespace save
