// Windows: no program is run beside the player. A child there cannot be
// handed our files as its descriptors 3, 4, ... as the recorder needs, so
// --video-out finds no program to run and is refused before the run starts.
#include <io.h>

#include "platform/ChildProcess.h"

namespace platform {

namespace {

const char* const kUnavailable = "running another program is not available in the Windows build";

}  // namespace

std::string findProgram(const std::string&) { return ""; }

bool isTerminal(int fd) { return _isatty(fd) != 0; }

ChildProcess::~ChildProcess() = default;

bool ChildProcess::start(const ChildLaunch&, std::string& error) {
  error = kUnavailable;
  return false;
}

bool ChildProcess::write(const void*, size_t) { return false; }

int ChildProcess::finish() { return -1; }

ScratchFile::~ScratchFile() = default;

bool ScratchFile::create(const std::string&, std::string& error) {
  error = kUnavailable;
  return false;
}

bool ScratchFile::write(const void*, size_t) { return false; }

std::string ScratchFile::tail(size_t) const { return ""; }

std::string descriptorPath(int) { return ""; }

int descriptorOf(std::FILE* stream) { return stream ? _fileno(stream) : -1; }

}  // namespace platform
