#include "sound/Sound.h"

#include <cstdint>
#include <new>

#include "shell/FileUtils.h"
#include "sound/zepl.h"

namespace {

constexpr long kSystemRate = 11025;
constexpr int kLocalChannel = 8;

uint32_t readU32(const unsigned char* b) {
  return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

// Reads exactly `length` bytes at `offset` into a new buffer; null when the
// file does not hold them all or memory runs out.
std::unique_ptr<signed char[]> readClip(std::FILE* fp, long offset, long length) {
  std::unique_ptr<signed char[]> buf(new (std::nothrow) signed char[static_cast<size_t>(length)]);
  if (!buf) return nullptr;
  if (length == 0) return buf;
  if (std::fseek(fp, offset, SEEK_SET) != 0) return nullptr;
  if (std::fread(buf.get(), 1, static_cast<size_t>(length), fp) != static_cast<size_t>(length)) return nullptr;
  return buf;
}

}  // namespace

Sound::Sound(int ch, const char* name, int memory) : channel(ch), onMemory(memory) {
  const char* n = name ? name : "";
  std::FILE* f = myFopen(0, n, "rb");
  if (!f) f = myFopen(1, n, "rb");
  if (!f) return;
  fp.reset(f);
  if (!build(memory)) {
    numMax = 0;
    data.clear();
    size.clear();
    ptr.clear();
    fp.reset();
    return;
  }
  voicefreq = iniInt("FREQ", 22050);
}

// Reads the clip table and, in memory mode, every clip. The table must fit
// the file: the lengths may not add up to more than the bytes that follow it.
bool Sound::build(int memory) {
  std::FILE* f = fp.get();
  // Clips are read whole at scattered offsets: a stdio buffer would only add a copy.
  std::setvbuf(f, nullptr, _IONBF, 0);
  const long fileSize = fsize(f);
  unsigned char head[8];
  if (std::fread(head, 1, 8, f) != 8) return false;
  const uint32_t count = readU32(head + 4);
  if (count == 0 || count > 0x7FFFFFFFu / 4) return false;
  const uint64_t tableEnd = 8 + 4 * uint64_t{count};
  if (fileSize < 0 || tableEnd > static_cast<uint64_t>(fileSize)) return false;

  std::vector<unsigned char> table(4 * size_t{count});
  if (std::fread(table.data(), 1, table.size(), f) != table.size()) return false;
  size.resize(count);
  ptr.resize(count);
  uint64_t offset = tableEnd;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t len = readU32(&table[4 * size_t{i}]);
    size[i] = static_cast<long>(len);
    ptr[i] = static_cast<long>(offset);
    offset += len;
    if (offset > static_cast<uint64_t>(fileSize)) return false;
  }
  data.resize(count);
  numMax = static_cast<int>(count);

  if (memory) {
    for (uint32_t i = 0; i < count; ++i) {
      data[i] = readClip(f, ptr[i], size[i]);
      if (!data[i]) return false;
    }
    fp.reset();
  }
  return true;
}

bool Sound::load(int num) {
  if (num < 0 || num >= numMax) return false;
  if (!data[num]) {
    if (!fp) return false;
    // A clip the file no longer holds completely is not played; the next call tries again.
    data[num] = readClip(fp.get(), ptr[num], size[num]);
  }
  return data[num] != nullptr;
}

void Sound::play(int num) {
  if (!load(num)) return;
  ZEPL_PlaySound(channel, data[num].get(), size[num], 1, 1, kSystemRate);
}

void Sound::playVoice(int num) {
  if (!load(num)) return;
  ZEPL_PlaySoundLocal(data[num].get(), size[num], 1, 1, voicefreq);
}

int Sound::check() { return ZEPL_Check(kLocalChannel); }

Sound::~Sound() {
  fp.reset();
  // The mixer may still be reading a clip lent by play(): silence the channel first.
  ZEPL_StopSound(channel);
}
