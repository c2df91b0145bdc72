#pragma once
// Sound through Web Audio: each buffer the device writes is scheduled right
// after the previous one and handed back for refilling once it has played.
// Browsers start sound only after a click or key press; until the page resumes
// the audio context, written buffers wait in its queue.
#include <memory>

#include "platform/Audio.h"

namespace platform {

std::unique_ptr<AudioBackend> makeWebAudio();

}  // namespace platform
