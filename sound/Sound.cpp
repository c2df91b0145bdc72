#include "sound/Sound.h"

#include <algorithm>
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
// file (as it is now) does not hold them all or memory runs out. Nothing is
// allocated for a clip the file does not hold.
std::unique_ptr<signed char[]> readClip(std::FILE* fp, long offset, long length) {
  const long fileSize = fsize(fp);
  if (offset < 0 || length < 0 || offset > fileSize || length > fileSize - offset) return nullptr;
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
  bool built = false;
  try {
    built = build(memory);
  } catch (const std::bad_alloc&) {
    built = false;  // no memory for the table: an empty bank, like a missing file
  }
  if (!built) {
    numMax = 0;
    data.clear();
    size.clear();
    ptr.clear();
    fp.reset();
    return;
  }
  voicefreq = iniInt("FREQ", 22050);
}

// Reads the clip table and, in memory mode, every clip the file holds. The
// table itself must fit the file; a clip whose bytes the file does not hold
// (a damaged length, a file cut short) is refused alone: the other clips play.
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

  // Only so many clips are kept, whatever the count says (memory is not
  // sized by a number in the file); numbers past them are ignored.
  const uint32_t kept = count < kMaxClips ? count : kMaxClips;
  size.resize(kept);
  ptr.resize(kept);
  uint64_t offset = tableEnd;
  unsigned char lengths[4 * 1024];
  for (uint32_t i = 0; i < kept; i += 1024) {
    const size_t n = std::min<uint32_t>(1024, kept - i);
    if (std::fread(lengths, 4, n, f) != n) return false;
    for (size_t k = 0; k < n; ++k) {
      const uint32_t len = readU32(&lengths[4 * k]);
      size[i + k] = static_cast<long>(len);
      ptr[i + k] = static_cast<long>(offset);
      offset += len;
    }
  }
  data.resize(kept);
  numMax = static_cast<int>(kept);

  if (memory) {
    for (uint32_t i = 0; i < kept; ++i) data[i] = readClip(f, ptr[i], size[i]);
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
  lastPlay = num;
  ZEPL_PlaySound(channel, data[num].get(), size[num], 1, 1, kSystemRate);
}

void Sound::playVoice(int num) {
  if (!load(num)) return;
  lastVoice = num;
  ZEPL_PlaySoundLocal(data[num].get(), size[num], 1, 1, voicefreq);
}

int Sound::check() { return ZEPL_Check(kLocalChannel); }

Sound::~Sound() {
  fp.reset();
  // The mixer may still be reading a clip lent by play(): silence the channel first.
  ZEPL_StopSound(channel);
}
