#include "shell/FileUtils.h"

#include <map>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Ini.h"

static const char* const key[5] = {"SYSDIR", "PCMDIR", "ROOTDIR", "EVDIR", "FACEDIR"};
static std::string path[5];
static int initFlag = 0;
static int loadFlag = 0;
static OpenObserver observer = nullptr;

int iniString(const char* k, const char* def, char* out, int size) {
  return platform::getProfileString(LM_INI_SECTION, k, def, out, size, LM_INI_FILE);
}

static std::map<std::string, int>& overrides() {
  static std::map<std::string, int> values;
  return values;
}

int iniInt(const char* k, int def) {
  if (!overrides().empty()) {
    auto it = overrides().find(k ? k : "");
    if (it != overrides().end()) return it->second;
  }
  return platform::getProfileInt(LM_INI_SECTION, k, def, LM_INI_FILE);
}

void setIniOverride(const char* key, int value) { overrides()[key ? key : ""] = value; }

void clearIniOverrides() { overrides().clear(); }

FILE* myFopen(int type, const char* name, const char* mode) {
  if (!initFlag) {
    initFlag = 1;
    for (int i = 0; i < 5; ++i) {
      char buf[1024];
      iniString(key[i], ".\\", buf, sizeof buf);
      path[i] = buf;
    }
  }
  loadFlag = 1;
  if (type < 0 || type > 4 || !name || !mode) {
    if (observer) observer(name ? name : "", false);
    return nullptr;
  }
  std::string joined = path[type] + name;
  FILE* fp = platform::openFile(joined.c_str(), mode);
  if (observer) observer(joined.c_str(), fp != nullptr);
  return fp;
}

long fsize(FILE* fp) {
  if (!fp) return 0;
  long here = std::ftell(fp);
  std::fseek(fp, 0, SEEK_END);
  long size = std::ftell(fp);
  std::fseek(fp, here, SEEK_SET);
  return size;
}

int openCheck() {
  int r = loadFlag;
  loadFlag = 0;
  return r;
}

void fileUtilsReset() {
  initFlag = 0;
  for (auto& p : path) p.clear();
}

void setOpenObserver(OpenObserver o) { observer = o; }
