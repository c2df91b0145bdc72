#pragma once
// Writes PCM WAV files: 8-bit (unsigned in the file) or 16-bit little-endian.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/OutputFile.h"

namespace platform {

// Streams PCM data into a WAV file through the output file module: a file
// appears under its name only when close() succeeds. A stream (standard
// output, a FIFO) cannot be rewound, so its header says "unknown length".
class WavWriter {
 public:
  // The most sample bytes a RIFF file can describe (its sizes are 32-bit),
  // kept a whole number of 16-bit stereo frames.
  static constexpr uint64_t kMaxDataBytes = (0xFFFFFFFFull - 36) & ~uint64_t{3};

  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Starts a file; bitsPerSample is 8 or 16. False (with a reason in `error`
  // when given) when the file cannot be made.
  bool open(const std::string& path, int rate, int channels, int bitsPerSample, std::string* error = nullptr);
  // Appends raw sample bytes in the file's own layout. At the size limit the
  // recording stops: whole frames up to the limit are kept, full() turns
  // true and the rest is dropped (not a failure).
  bool write(const void* bytes, size_t length);
  // Appends signed 8-bit samples, converting them to the file's unsigned bytes.
  bool writeSigned8(const signed char* samples, size_t count);
  // Completes the header and puts the file in place; true on success.
  bool close(std::string* error = nullptr);
  // Drops a file still being written.
  void abandon();
  bool isOpen() const { return out_.isOpen(); }
  bool full() const { return full_; }
  uint64_t dataBytes() const { return dataBytes_; }
  // Test hook: a smaller size limit (bytes of samples).
  void setLimit(uint64_t bytes) { limit_ = bytes < kMaxDataBytes ? bytes : kMaxDataBytes; }

 private:
  OutputFile out_;
  int rate_ = 0, channels_ = 0, bits_ = 0;
  uint64_t dataBytes_ = 0;
  uint64_t limit_ = kMaxDataBytes;
  bool failed_ = false;
  bool full_ = false;
};

// Writes a whole signed 8-bit mono clip as a WAV file; true on success.
bool writeWav8(const std::string& path, const signed char* samples, size_t count, int rate);

}  // namespace platform
