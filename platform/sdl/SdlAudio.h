#pragma once
// The SDL2 audio back end: 44100 Hz, signed 16-bit stereo, one 8192-byte
// buffer per callback, refilled on SDL's audio thread.
#include <memory>

#include "platform/Audio.h"

std::unique_ptr<platform::AudioBackend> makeSdlAudio();
