#include "platform/OutputFile.h"

#include <cstdio>

namespace platform {

bool writeFileAtomic(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error) {
  const std::string tmp = path + ".tmp";
  FILE* fp = std::fopen(tmp.c_str(), "wb");
  if (!fp) {
    error = "cannot create " + path;
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size();
  ok = (std::fclose(fp) == 0) && ok;
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace platform
