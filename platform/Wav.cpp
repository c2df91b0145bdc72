#include "platform/Wav.h"

#include <cstring>

namespace platform {

namespace {

void le16(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void le32(unsigned char* p, uint32_t v) {
  le16(p, v & 0xFFFF);
  le16(p + 2, v >> 16);
}

// The 44-byte RIFF/WAVE header of a PCM file: `riffBytes` in the RIFF chunk,
// `dataBytes` of samples (0xFFFFFFFF for both: length unknown).
void makeHeader(unsigned char* h, int rate, int channels, int bits, uint32_t riffBytes, uint32_t dataBytes) {
  const int blockAlign = bits * channels / 8;
  std::memcpy(h, "RIFF", 4);
  le32(h + 4, riffBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  le32(h + 16, 16);
  le16(h + 20, 1);
  le16(h + 22, static_cast<uint32_t>(channels));
  le32(h + 24, static_cast<uint32_t>(rate));
  le32(h + 28, static_cast<uint32_t>(blockAlign * rate));
  le16(h + 32, static_cast<uint32_t>(blockAlign));
  le16(h + 34, static_cast<uint32_t>(bits));
  std::memcpy(h + 36, "data", 4);
  le32(h + 40, dataBytes);
}

}  // namespace

WavWriter::~WavWriter() { abandon(); }

bool WavWriter::open(const std::string& path, int rate, int channels, int bitsPerSample, std::string* error) {
  abandon();
  std::string why;
  if (rate <= 0 || channels <= 0 || (bitsPerSample != 8 && bitsPerSample != 16)) {
    if (error) *error = "cannot write '" + path + "': unsupported sound format";
    return false;
  }
  if (!out_.open(path, why)) {
    if (error) *error = why;
    return false;
  }
  rate_ = rate;
  channels_ = channels;
  bits_ = bitsPerSample;
  dataBytes_ = 0;
  failed_ = false;
  full_ = false;
  unsigned char header[44];
  // A file gets its sizes at close(); a stream never can.
  const uint32_t unknown = out_.replacing() ? 0 : 0xFFFFFFFFu;
  makeHeader(header, rate, channels, bitsPerSample, out_.replacing() ? 36 : unknown, unknown);
  if (!out_.write(header, sizeof header)) failed_ = true;
  return !failed_;
}

bool WavWriter::write(const void* bytes, size_t length) {
  if (!out_.isOpen() || failed_) return false;
  if (full_) return true;
  const uint64_t frame = static_cast<uint64_t>(bits_ / 8) * static_cast<uint64_t>(channels_);
  if (dataBytes_ + length > limit_) {
    length = static_cast<size_t>((limit_ - dataBytes_) / frame * frame);
    full_ = true;
  }
  if (length && !out_.write(bytes, length)) failed_ = true;
  dataBytes_ += length;
  return !failed_;
}

bool WavWriter::writeSigned8(const signed char* samples, size_t count) {
  unsigned char chunk[4096];
  while (count) {
    size_t n = count < sizeof chunk ? count : sizeof chunk;
    for (size_t i = 0; i < n; ++i) chunk[i] = static_cast<unsigned char>(samples[i] + 128);
    if (!write(chunk, n)) return false;
    samples += n;
    count -= n;
  }
  return true;
}

bool WavWriter::close(std::string* error) {
  if (!out_.isOpen()) {
    if (error) *error = "no sound file is open";
    return false;
  }
  if (out_.replacing() && !failed_) {
    // RIFF chunks are padded to an even length.
    if (dataBytes_ & 1) {
      unsigned char pad = 0;
      if (!out_.write(&pad, 1)) failed_ = true;
    }
    unsigned char header[44];
    makeHeader(header, rate_, channels_, bits_, static_cast<uint32_t>(36 + dataBytes_ + (dataBytes_ & 1)),
               static_cast<uint32_t>(dataBytes_));
    if (std::fseek(out_.stream(), 0, SEEK_SET) != 0 || !out_.write(header, sizeof header)) failed_ = true;
  }
  if (failed_) {
    if (error) *error = "cannot write '" + out_.path() + "'";
    out_.abandon();
    return false;
  }
  std::string why;
  if (!out_.commit(why)) {
    if (error) *error = why;
    return false;
  }
  return true;
}

void WavWriter::abandon() { out_.abandon(); }

bool writeWav8(const std::string& path, const signed char* samples, size_t count, int rate) {
  WavWriter wav;
  if (!wav.open(path, rate, 1, 8)) return false;
  if (!wav.writeSigned8(samples, count)) return false;
  return wav.close();
}

}  // namespace platform
