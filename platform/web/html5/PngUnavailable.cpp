// The browser build has no PNG library: PNG files can be neither written nor
// read there (the page shows frames on its canvas; --shot reports a failure).
#include "platform/Png.h"

namespace platform {

namespace {
const char* const kWhy = "no PNG support in the browser build";
}

bool writePng(const std::string&, int, int, int, const unsigned char*, std::string* error) {
  if (error) *error = kWhy;
  return false;
}

bool readPngRgba(const std::string&, int&, int&, std::vector<unsigned char>&, std::string* error, long long) {
  if (error) *error = kWhy;
  return false;
}

}  // namespace platform
