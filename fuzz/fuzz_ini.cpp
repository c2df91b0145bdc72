// Fuzzes the private-profile reader with arbitrary INI text.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/Ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/lm-fuzz-ini-" + std::to_string(getpid()) + ".ini";
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return 0;
  std::fwrite(data, 1, size, fp);
  std::fclose(fp);
  static const char* const keys[] = {"SYSDIR", "EVDIR", "MAX", "chart", "a", "K\x83\x41", ""};
  char small[4], big[1024];
  for (const char* key : keys) {
    platform::getProfileString("DOROVANKA", key, "def", small, sizeof small, path.c_str());
    platform::getProfileString("dorovanka", key, ".\\", big, sizeof big, path.c_str());
    platform::getProfileInt("DOROVANKA", key, -1, path.c_str());
  }
  return 0;
}
