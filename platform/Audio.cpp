#include "platform/Audio.h"

namespace platform {

AudioBackend::~AudioBackend() = default;

namespace {

// The back end of a machine without sound: no format is playable, so the
// device never opens and nothing is ever mixed.
class NullAudio : public AudioBackend {
 public:
  bool supports(int, int, int) const override { return false; }
  bool open(const WaveFormat&, AudioDone, void*) override { return false; }
  void pause() override {}
  void restart() override {}
  bool write(char*, long) override { return false; }
  void reset() override {}
  void close() override {}
};

NullAudio nullAudio;
AudioBackend* installed = nullptr;

}  // namespace

void setAudioBackend(AudioBackend* backend) { installed = backend; }

AudioBackend* audioBackend() { return installed ? installed : &nullAudio; }

}  // namespace platform
