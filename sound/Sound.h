#pragma once
// A bank of numbered 8-bit PCM clips from one bank file.
//
// Bank file, big-endian: 4 bytes skipped, clip count N (u32), N clip lengths
// (u32), then the clips' signed 8-bit mono samples back to back. A file whose
// count or length table does not fit inside it loads as an empty bank; a clip
// the file does not hold completely is refused alone. A clip of
// length 0 is a clip that ends at once: playing it replaces the channel's
// clip, and the channel is idle again after the next mixed buffer.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

class Sound {
 public:
  // Clips a bank keeps at most (the first ones); numbers past them are ignored.
  static constexpr uint32_t kMaxClips = 1u << 20;

  // Opens bank `name` under SYSDIR, else PCMDIR; memory != 0 loads every clip now.
  Sound(int channel, const char* name, int memory);
  ~Sound();
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;

  void play(int num);       // clip num on the bank's channel at 11025 Hz
  void playVoice(int num);  // clip num on the local (voice) channel at "FREQ" Hz
  int check();              // nonzero while the voice channel sounds

  struct FileCloser {
    void operator()(std::FILE* fp) const { std::fclose(fp); }
  };

  std::unique_ptr<std::FILE, FileCloser> fp;  // open bank file (streaming mode only)
  int numMax = 0;  // clip count; 0 when the bank is empty
  int channel = 0;  // library channel of play(), stopped on destruction
  std::vector<std::unique_ptr<signed char[]>> data;  // clip buffers; null = not loaded yet
  std::vector<long> size;  // byte length of each clip
  std::vector<long> ptr;   // file offset of each clip (streaming mode)
  int onMemory = 0;        // nonzero: every clip loaded at construction
  long voicefreq = 22050;  // rate of playVoice: "FREQ"
  int lastVoice = -1;      // clip the latest playVoice started (-1: none yet)
  int lastPlay = -1;       // clip the latest play started (-1: none yet)

 private:
  bool build(int memory);
  bool load(int num);  // makes clip num available; false when it cannot be
};
