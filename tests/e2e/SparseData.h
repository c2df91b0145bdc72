#pragma once
// Data that claims to be huge: the demo story with one file grown to 2 GiB by
// a hole (a sparse file: no disk space is used) and, where it applies, a size
// in kirune.ini to match. Shared by the memory tests and bench_sparse.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lmtest {
namespace sparse {

enum class Case {
  Plain,         // the demo as it is
  EventTable,    // EVENT.BIN 2 GiB, "MAX" 2,000,000,000
  StartNames,    // ASTARTUP.BIN 2 GiB, "CHAR" 2,000,000,000
  PictureTail,   // the first scene picture followed by 2 GiB of hole
  PictureBlock,  // the first scene picture's block claims 2 GiB (all hole)
};

constexpr long long kHuge = 1LL << 31;

inline const char* name(Case c) {
  switch (c) {
    case Case::Plain: return "plain";
    case Case::EventTable: return "event_table";
    case Case::StartNames: return "start_names";
    case Case::PictureTail: return "picture_tail";
    case Case::PictureBlock: return "picture_block";
  }
  return "?";
}

inline std::vector<unsigned char> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool writeAll(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// Replaces the line "key=..." of kirune.ini, or adds it at the end.
inline bool setIni(const std::string& dir, const std::string& key, const std::string& value) {
  std::vector<unsigned char> b = readAll(dir + "/kirune.ini");
  std::string text(b.begin(), b.end());
  const size_t at = text.find("\n" + key + "=");
  if (at == std::string::npos) {
    text += (text.empty() || text.back() == '\n' ? "" : "\r\n") + key + "=" + value + "\r\n";
    return writeAll(dir + "/kirune.ini", std::vector<unsigned char>(text.begin(), text.end()));
  }
  const size_t end = text.find('\n', at + 1);
  size_t stop = end == std::string::npos ? text.size() : end;
  if (stop > 0 && text[stop - 1] == '\r') --stop;
  text.replace(at + 1, stop - at - 1, key + "=" + value);
  return writeAll(dir + "/kirune.ini", std::vector<unsigned char>(text.begin(), text.end()));
}

// Makes `dir` (which must not exist) a copy of `demoDir` changed for `c`,
// starting with the story itself ("SKIP") so that it loads at once.
inline bool make(Case c, const std::string& demoDir, const std::string& dir, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::copy(demoDir, dir, fs::copy_options::recursive, ec);
  if (ec) {
    error = "cannot copy " + demoDir + ": " + ec.message();
    return false;
  }
  fs::remove(fs::path(dir) / "error.log", ec);
  bool ok = setIni(dir, "SKIP", "1");
  const std::string picture = dir + "/ev/E000.PF1";
  switch (c) {
    case Case::Plain:
      break;
    case Case::EventTable:
      ok = ok && setIni(dir, "MAX", "2000000000") && ::truncate((dir + "/EVENT.BIN").c_str(), kHuge) == 0;
      break;
    case Case::StartNames:
      ok = ok && setIni(dir, "CHAR", "2000000000") && ::truncate((dir + "/ASTARTUP.BIN").c_str(), kHuge) == 0;
      break;
    case Case::PictureTail:
      ok = ok && ::truncate(picture.c_str(), kHuge) == 0;
      break;
    case Case::PictureBlock: {
      // The picture's own header, one block declared to fill 2 GiB: a stream
      // and a palette that are nothing but a hole.
      std::vector<unsigned char> head = readAll(picture);
      if (head.size() < 16) return error = "no picture " + picture, false;
      head.resize(20);
      head[12] = 0;
      head[13] = 1;
      const uint32_t block = static_cast<uint32_t>(kHuge - 20);
      for (int i = 0; i < 4; ++i) head[16 + i] = static_cast<unsigned char>(block >> (24 - 8 * i));
      ok = ok && writeAll(picture, head) && ::truncate(picture.c_str(), kHuge) == 0;
      break;
    }
  }
  if (!ok) error = std::string("cannot make the ") + name(c) + " case in " + dir;
  return ok;
}

}  // namespace sparse
}  // namespace lmtest
