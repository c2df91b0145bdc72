#pragma once
// Writes PCM WAV files: 8-bit (unsigned in the file) or 16-bit little-endian.
#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

// Streams PCM data into a WAV file. The file appears under its name only when
// close() succeeds (it is written under a temporary name and renamed).
class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Starts a file; bitsPerSample is 8 or 16. False when the file cannot be made.
  bool open(const std::string& path, int rate, int channels, int bitsPerSample);
  // Appends raw sample bytes in the file's own layout.
  bool write(const void* bytes, size_t length);
  // Appends signed 8-bit samples, converting them to the file's unsigned bytes.
  bool writeSigned8(const signed char* samples, size_t count);
  // Completes the header and renames the file into place; true on success.
  bool close();
  // Drops a file still being written.
  void abandon();
  bool isOpen() const { return fp_ != nullptr; }

 private:
  std::FILE* fp_ = nullptr;
  std::string path_, tempPath_;
  int rate_ = 0, channels_ = 0, bits_ = 0;
  unsigned long dataBytes_ = 0;
  bool failed_ = false;
};

// Writes a whole signed 8-bit mono clip as a WAV file; true on success.
bool writeWav8(const std::string& path, const signed char* samples, size_t count, int rate);

}  // namespace platform
