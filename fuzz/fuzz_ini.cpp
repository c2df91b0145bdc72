// Fuzzes the private-profile reader with arbitrary INI text: every key the
// player reads (and a few odd ones), into a small and a large buffer, as
// strings and as integers, under both spellings of the section.
#include <cstdint>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "platform/Ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = std::string(fuzz::workDir()) + "/kirune.ini";
  if (!fuzz::writeFile(path.c_str(), data, size)) return 0;
  static const char* const keys[] = {"SYSDIR", "PCMDIR", "ROOTDIR", "EVDIR", "FACEDIR", "SYSPCM", "SKIP",
                                     "CHART",  "LINK",   "MAX",     "ADDRESS", "START", "NAME",   "CHAR",
                                     "FREQ",   "a",      "K\x83\x41", ""};
  char small[4], big[1024];
  for (const char* key : keys) {
    platform::getProfileString("DOROVANKA", key, "def", small, sizeof small, path.c_str());
    platform::getProfileString("dorovanka", key, ".\\", big, sizeof big, path.c_str());
    platform::getProfileInt("DOROVANKA", key, -1, path.c_str());
  }
  platform::getProfileString("DOROVANKA", "MAX", "x", big, 0, path.c_str());
  platform::getProfileString("", "", nullptr, big, 1, path.c_str());
  return 0;
}
