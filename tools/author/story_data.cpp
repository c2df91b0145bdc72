#include "tools/author/story_data.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "game/Game.h"
#include "graphics/Font.h"
#include "platform/FileSystem.h"
#include "platform/KeptFile.h"
#include "shell/FileUtils.h"

namespace story {

InDataDir::InDataDir(const std::string& dir) {
  std::error_code ec;
  previous_ = std::filesystem::current_path(ec).string();
  if (chdir(dir.c_str()) != 0) {
    error_ = "cannot enter the data directory '" + dir + "'";
    return;
  }
  entered_ = true;
  fileUtilsReset();
  Font::unload();
  std::string why;
  if (!platform::isReadableKeptFile("kirune.ini", why)) error_ = "'" + dir + "' holds no readable kirune.ini" + (why.empty() ? "" : ": " + why);
}

InDataDir::~InDataDir() {
  if (!entered_) return;
  fileUtilsReset();
  Font::unload();
  if (chdir(previous_.c_str()) != 0) std::perror("lmtool: cannot return to the start directory");
}

long StoryData::chartOffset(long c) const {
  if (c < 0 || static_cast<size_t>(c) >= chartTable.size()) return -1;
  long off = chartTable[static_cast<size_t>(c)];
  return off >= 0 && off <= static_cast<long>(event.size()) ? off : -1;
}

long StoryData::successor(long c, int col) const {
  long row = c != 0 ? c - 1 : 0;
  if (row < 0 || col < 0 || col >= 6) return -1;
  size_t index = static_cast<size_t>(row) * 6 + static_cast<size_t>(col);
  return index < linkTable.size() ? linkTable[index] : -1;
}

void readStoryFile(std::FILE* f, const std::string& name, Bytes& out) {
  out.clear();
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (static_cast<long long>(out.size() + n) > kMaxStoryFileBytes)
      throw std::length_error(name + " is larger than the tools read (" + std::to_string(kMaxStoryFileBytes >> 20) +
                              " MiB)");
    out.insert(out.end(), buf, buf + n);
  }
}

StoryData readStoryData() {
  StoryData d;
  for (int i = 0; i < 5; ++i) {
    char buf[1024];
    iniString(kDirKeyNames[i], ".\\", buf, sizeof buf);
    d.dirs[i] = buf;
  }
  char pcm[256];
  iniString("SYSPCM", "SYS01.PCM", pcm, sizeof pcm);
  d.syspcm = pcm;
  d.skip = iniInt("SKIP", 0);
  if (FILE* f = myFopen(2, "EVENT.BIN", "rb")) {
    d.eventFound = true;
    std::unique_ptr<FILE, int (*)(FILE*)> closing(f, &std::fclose);
    readStoryFile(f, "EVENT.BIN", d.event);
  }
  if (FILE* f = myFopen(2, "ASTARTUP.BIN", "rb")) {
    d.startupFound = true;
    std::fclose(f);
  }
  Game::resetStepState();
  Game game;  // the player's own reading of the tables and names
  d.chartTable = game.chartTable.entries();
  d.linkTable = game.linkTable.entries();
  d.start = iniInt("START", 0);
  for (const Game::Name& n : game.defaultname) {
    Bytes b;
    for (char c : n) {
      if (!c) break;
      b.push_back(static_cast<uint8_t>(c));
    }
    d.names.push_back(b);
  }
  return d;
}

std::string hostPath(const std::string& dirPrefix, const std::string& name) {
  std::string path = platform::toHostPath((dirPrefix + name).c_str());
  while (path.compare(0, 2, "./") == 0) path.erase(0, 2);
  return path;
}

std::string pathFromHere(const std::string& userDir, const std::string& dataRelative) {
  std::string dir = userDir;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::string path;
  if (dataRelative.empty() || dataRelative == ".")
    path = dir.empty() ? "." : dir;
  else if (dir.empty() || dir == ".")
    path = dataRelative;
  else
    path = dir == "/" ? "/" + dataRelative : dir + "/" + dataRelative;
  bool plain = std::all_of(path.begin(), path.end(), [](unsigned char c) {
    return std::isalnum(c) || std::strchr("._/-+,", c) != nullptr;
  });
  if (plain) return path;
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '\\' || c == '$' || c == '`') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string toUtf8(const Bytes& sjis) {
  std::string out;
  for (size_t i = 0; i < sjis.size(); ++i) {
    uint8_t c = sjis[i];
    std::string u;
    if (c >= 0x80 && i + 1 < sjis.size() && decodePair(c, sjis[i + 1], u)) {
      out += u;
      ++i;
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

}  // namespace story
