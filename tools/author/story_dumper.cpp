// Reads game data back into a story script. The layout is reproduced exactly:
// tables where the INI file puts them, one block per chart start, anonymous
// data for bytes no chart starts in, explicit entries and link rows where the
// script's usual forms cannot say what the tables hold.
#include "tools/author/story_dumper.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <array>
#include <set>
#include <sstream>

#include "platform/FileSystem.h"
#include "platform/Ini.h"
#include "platform/KeptFile.h"
#include "tools/author/story_bytecode.h"
#include "tools/author/story_data.h"
#include "tools/author/story_compiler.h"
#include "tools/author/story_lexer.h"
#include "tools/author/story_model.h"
#include "tools/author/story_render.h"

namespace story {
namespace {

const char* const kSection = "DOROVANKA";
const char* const kAbsent = "\x01";

struct IniValues {
  std::string path;
  long long chart = 0, link = 0, max = 0, start = 0, characters = 0, name = 0;
  uint32_t address = 0;
  std::optional<std::string> dirs[5], syspcm;
  std::optional<long long> skip, freq;
};

std::optional<std::string> iniString(const IniValues& v, const char* key) {
  char buf[1024];
  platform::getProfileString(kSection, key, kAbsent, buf, sizeof buf, v.path.c_str());
  if (std::string(buf) == kAbsent) return std::nullopt;
  return std::string(buf);
}

long long iniInt(const IniValues& v, const char* key) {
  return platform::getProfileInt(kSection, key, 0, v.path.c_str());
}

bool readIni(const std::string& dataDir, IniValues& v, std::string* error) {
  v.path = dataDir + "/kirune.ini";
  std::string why;
  if (!platform::isReadableKeptFile(v.path, why)) {
    if (error) *error = why.empty() ? "cannot read " + v.path : why;
    return false;
  }
  for (int i = 0; i < 5; ++i) v.dirs[i] = iniString(v, kDirKeys[i]);
  v.syspcm = iniString(v, "SYSPCM");
  if (iniString(v, "SKIP")) v.skip = iniInt(v, "SKIP");
  if (iniString(v, "FREQ")) v.freq = iniInt(v, "FREQ");
  v.chart = iniInt(v, "CHART");
  v.link = iniInt(v, "LINK");
  v.max = iniInt(v, "MAX");
  v.address = static_cast<uint32_t>(iniInt(v, "ADDRESS"));
  v.start = iniInt(v, "START");
  v.characters = iniInt(v, "CHAR");
  v.name = iniInt(v, "NAME");
  return true;
}

bool readWhole(const std::string& winPath, Bytes& out) {
  FILE* fp = platform::openFile(winPath.c_str(), "rb");
  if (!fp) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> closing(fp, &std::fclose);
  readStoryFile(fp, winPath, out);
  return true;
}

// The scenario file in ROOTDIR below dataDir, else in dataDir itself.
bool readDataFile(const std::string& dataDir, const IniValues& v, const char* name, Bytes& out) {
  if (v.dirs[2] && readWhole(dataDir + "/" + *v.dirs[2] + name, out)) return true;
  return readWhole(dataDir + "/" + name, out);
}

uint32_t be32(const Bytes& b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

uint16_t be16(const Bytes& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }

std::string hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(v));
  return buf;
}

std::string chartName(long long n) { return "c" + std::to_string(n); }

// Names as the compiler writes them ("【" name "】" CR LF each, from offset 0);
// false when the start file is anything else.
bool canonicalNames(const Bytes& file, long long count, long long offset, std::vector<Bytes>& names) {
  if (offset != 0 || count < 0 || count > 254) return false;
  names.clear();
  size_t pos = 0;
  for (long long i = 0; i < count; ++i) {
    if (pos + 2 > file.size() || file[pos] != 0x81 || file[pos + 1] != 0x79) return false;
    pos += 2;
    Bytes name;
    while (true) {
      if (pos >= file.size()) return false;
      uint8_t c = file[pos];
      if (c >= 0x80) {
        if (pos + 1 >= file.size()) return false;
        if (c == 0x81 && file[pos + 1] == 0x7A) break;
        name.push_back(c);
        name.push_back(file[pos + 1]);
        pos += 2;
      } else {
        name.push_back(c);
        ++pos;
      }
    }
    pos += 2;
    if (pos + 2 > file.size() || file[pos] != '\r' || file[pos + 1] != '\n') return false;
    pos += 2;
    if (name.size() > kNameMax) return false;
    for (uint8_t c : name)
      if (c == 0) return false;
    names.push_back(name);
  }
  return pos == file.size();
}

// The names the player reads from a start file of any shape (for a comment).
std::vector<Bytes> playerNames(const Bytes& file, long long count, long long offset) {
  std::vector<Bytes> names;
  if (offset < 0) return names;
  size_t pos = static_cast<size_t>(offset);
  for (long long i = 0; i < count && i < 256; ++i) {
    while (pos < file.size() && file[pos] != 0x81) ++pos;
    if (pos + 1 >= file.size() || file[pos + 1] != 0x79) break;
    pos += 2;
    Bytes name;
    while (pos < file.size()) {
      uint8_t c = file[pos];
      if (c >= 0x80) {
        if (pos + 1 >= file.size()) {
          pos = file.size();
          break;
        }
        if (c == 0x81 && file[pos + 1] == 0x7A) {
          pos += 2;
          break;
        }
        name.push_back(c);
        name.push_back(file[pos + 1]);
        pos += 2;
      } else {
        name.push_back(c);
        ++pos;
      }
    }
    names.push_back(name);
  }
  return names;
}

// Whether `script` compiles to these files.
bool reproduces(const std::string& script, const Bytes& event, const Bytes* startup, std::string* why) {
  StoryFiles files;
  std::string error;
  if (!compileStory(script, files, &error, "dump")) {
    *why = "the readable form does not compile (" + error.substr(0, error.find('\n')) + ")";
    return false;
  }
  if (files.event != event || (startup && files.startup != *startup)) {
    *why = "the readable form does not give the same bytes";
    return false;
  }
  return true;
}

// 'ini' lines for the table keys whose text the compiler would write
// differently (another spelling of the value, such as -1 for 4294967295).
std::string iniFixups(const std::string& script, const std::string& iniPath) {
  StoryFiles files;
  if (!compileStory(script, files, nullptr)) return "";
  std::string extra;
  for (const char* key : {"CHART", "LINK", "MAX", "ADDRESS", "START", "CHAR", "NAME"}) {
    char buf[64];
    platform::getProfileString(kSection, key, kAbsent, buf, sizeof buf, iniPath.c_str());
    std::string original = buf;
    long long v;
    if (original == kAbsent || !parseNumber(original, v) || v < -2147483648LL) continue;
    std::string line = std::string("\r\n") + key + "=";
    size_t at = files.ini.find(line);
    if (at == std::string::npos) continue;
    at += line.size();
    std::string written = files.ini.substr(at, files.ini.find('\r', at) - at);
    if (written != original) extra += std::string("ini ") + key + " " + original + "\n";
  }
  return extra;
}

class Dumper {
 public:
  Dumper(const IniValues& ini, const Bytes& event, const Bytes* startup, std::ostringstream& out)
      : ini_(ini), ev_(event), startup_(startup), out_(out) {}

  // Everything as raw bytes, whatever the tables look like.
  void runRaw(const std::string& why) {
    forceRaw_ = true;
    header();
    rawLayout(why);
  }

  void run() {
    header();
    std::string why = tablesProblem();
    if (why.empty()) {
      structured();
    } else {
      rawLayout(why);
    }
  }

 private:
  int characters() const { return characterLimit(ini_.characters); }

  void header() {
    for (int i = 0; i < 5; ++i) {
      if (ini_.dirs[i]) {
        std::string key = kDirKeys[i];
        std::transform(key.begin(), key.end(), key.begin(), ::tolower);
        out_ << key << " " << renderLiteral(Bytes(ini_.dirs[i]->begin(), ini_.dirs[i]->end()), false) << "\n";
      }
    }
    if (ini_.syspcm) out_ << "syspcm " << renderLiteral(Bytes(ini_.syspcm->begin(), ini_.syspcm->end()), false) << "\n";
    if (ini_.skip) out_ << "skip " << *ini_.skip << "\n";
    if (ini_.freq) out_ << "freq " << *ini_.freq << "\n";
    if (ini_.address) out_ << "address " << hex(ini_.address) << "\n";
    names();
  }

  void names() {
    std::vector<Bytes> names;
    if (startup_ && !forceRaw_ && canonicalNames(*startup_, ini_.characters, ini_.name, names)) {
      for (size_t i = 0; i < names.size(); ++i)
        out_ << "character " << i + 1 << " " << renderLiteral(names[i], false) << "\n";
      return;
    }
    if (!startup_) {
      out_ << "# ASTARTUP.BIN is missing\n";
    } else {
      out_ << "# ASTARTUP.BIN is not in the compiler's form; the player reads these names:\n";
      for (const auto& n : playerNames(*startup_, ini_.characters, ini_.name))
        out_ << "#   " << renderLiteral(n, false) << "\n";
      for (size_t i = 0; i < startup_->size(); i += 16) {
        out_ << "startup";
        for (size_t k = i; k < startup_->size() && k < i + 16; ++k) {
          char buf[8];
          std::snprintf(buf, sizeof buf, " 0x%02X", (*startup_)[k]);
          out_ << buf;
        }
        out_ << "\n";
      }
    }
    if (ini_.characters != 0) out_ << "ini CHAR " << ini_.characters << "\n";
    if (ini_.name != 0) out_ << "ini NAME " << ini_.name << "\n";
  }

  // Why the tables cannot be shown as tables; empty when they can.
  std::string tablesProblem() const {
    long long size = static_cast<long long>(ev_.size());
    if (ini_.max < 0 || ini_.max > 65536) return "MAX " + std::to_string(ini_.max) + " is outside 0..65536";
    long long ct = 4 * ini_.max, lt = 12 * ini_.max;
    if (ini_.chart < 0 || ini_.chart + ct > size)
      return "the chart table (CHART " + std::to_string(ini_.chart) + ", MAX " + std::to_string(ini_.max) +
             ") does not fit EVENT.BIN (" + std::to_string(size) + " bytes)";
    if (ini_.link < 0 || ini_.link + lt > size)
      return "the link table (LINK " + std::to_string(ini_.link) + ", MAX " + std::to_string(ini_.max) +
             ") does not fit EVENT.BIN (" + std::to_string(size) + " bytes)";
    if (ini_.max > 0 && ini_.chart < ini_.link + lt && ini_.link < ini_.chart + ct)
      return "the chart table and the link table overlap";
    return "";
  }

  void rawLayout(const std::string& why) {
    out_ << "\n# EVENT.BIN is kept as raw bytes: " << why << ".\n";
    out_ << "layout raw\n";
    if (ini_.chart) out_ << "ini CHART " << ini_.chart << "\n";
    if (ini_.link) out_ << "ini LINK " << ini_.link << "\n";
    if (ini_.max) out_ << "ini MAX " << ini_.max << "\n";
    if (ini_.start) out_ << "ini START " << ini_.start << "\n";
    if (!ev_.empty()) {
      out_ << "\ndata\n";
      out_ << renderRaw(ev_.data(), 0, ev_.size());
    }
  }

  bool insideTable(size_t off) const {
    size_t ct = 4 * ini_.max, lt = 12 * ini_.max;
    return (off >= size_t(ini_.chart) && off < size_t(ini_.chart) + ct) ||
           (off >= size_t(ini_.link) && off < size_t(ini_.link) + lt);
  }

  void readTables() {
    size_t max = static_cast<size_t>(ini_.max);
    entry_.resize(max);
    rows_.assign(max, {});
    for (size_t c = 0; c < max; ++c) {
      entry_[c] = be32(ev_, ini_.chart + 4 * c);
      for (int k = 0; k < 6; ++k) rows_[c][k] = be16(ev_, ini_.link + 12 * c + 2 * k);
    }
    // Chart starts: offsets inside the file (its end included) and outside the tables.
    std::map<size_t, std::vector<long long>> at;
    for (size_t c = 0; c < max; ++c) {
      uint32_t off = entry_[c] - ini_.address;
      if (off <= ev_.size() && !insideTable(off)) at[off].push_back(static_cast<long long>(c));
    }
    defaultOffset_ = at.empty() ? ev_.size() : at.begin()->first;
    for (auto& [off, charts] : at) {
      long long primary = -1;
      for (long long c : charts)
        if (c == ini_.start) primary = c;
      if (primary < 0)
        for (long long c : charts)
          if (c >= 1) {
            primary = c;
            break;
          }
      if (primary < 0) primary = charts.front();
      primaryAt_[off] = primary;
      offsetOf_[primary] = off;
      for (long long c : charts)
        if (c != primary && off != defaultOffset_) alias_[c] = primary;
    }
  }

  bool referable(long long n) const { return offsetOf_.count(n) || alias_.count(n); }

  std::string refName(long long n) const { return offsetOf_.count(n) ? chartName(n) : std::to_string(n); }

  // The chart that carries row r's successors beside its header: chart r + 1,
  // or for row 0 chart 1 or else chart 0.
  long long rowOwner(long long r) const {
    if (r == 0 && offsetOf_.count(1)) return 1;
    if (r == 0) return offsetOf_.count(0) ? 0 : -1;
    return offsetOf_.count(r + 1) ? r + 1 : -1;
  }

  void settleRows() {
    for (long long r = 0; r < ini_.max; ++r) {
      const auto& row = rows_[r];
      int last = 0;
      for (int k = 0; k < 6; ++k)
        if (row[k]) last = k + 1;
      int need = 0;
      for (long long c : {r + 1, r == 0 ? 0LL : -1LL})
        if (needs_.count(c)) need = std::max(need, needs_[c]);
      int count = std::max(last, need);
      if (count == 0) continue;
      long long owner = rowOwner(r);
      bool named = owner >= 0;
      for (int k = 0; k < count && named; ++k) named = referable(row[k]);
      if (named) {
        std::string s;
        for (int k = 0; k < count; ++k) s += " " + refName(row[k]);
        succ_[owner] = s;
      } else {
        std::string s = "linkrow " + std::to_string(r) + " =";
        for (int k = 0; k < std::max(last, 1); ++k) s += " " + std::to_string(row[k]);
        linkRows_.push_back(s);
      }
    }
  }

  struct Item {
    enum Kind { ChartTable, LinkTable, Chart, Data } kind;
    size_t begin, end;
    long long chart = -1;
  };

  std::vector<Item> items() const {
    size_t ct = 4 * ini_.max, lt = 12 * ini_.max, size = ev_.size();
    size_t chartPos = static_cast<size_t>(ini_.chart), linkPos = static_cast<size_t>(ini_.link);
    std::set<size_t> bounds{size, chartPos, chartPos + ct, linkPos, linkPos + lt};
    for (const auto& kv : primaryAt_) bounds.insert(kv.first);
    auto nextBound = [&](size_t p) { return std::min(*bounds.upper_bound(p), size); };
    std::vector<Item> list;
    bool chartDone = false, linkDone = false;
    size_t pos = 0;
    while (true) {
      // Empty tables (MAX 0) first, then whatever has bytes here.
      if (ct == 0 && !chartDone && chartPos == pos) {
        list.push_back({Item::ChartTable, pos, pos});
        chartDone = true;
      }
      if (lt == 0 && !linkDone && linkPos == pos) {
        list.push_back({Item::LinkTable, pos, pos});
        linkDone = true;
      }
      auto chart = primaryAt_.find(pos);
      if (chart != primaryAt_.end()) {
        size_t end = pos < size ? nextBound(pos) : size;
        list.push_back({Item::Chart, pos, end, chart->second});
        if (end == pos) break;
        pos = end;
        continue;
      }
      if (pos >= size) break;
      if (ct && chartPos == pos) {
        list.push_back({Item::ChartTable, pos, pos + ct});
        pos += ct;
      } else if (lt && linkPos == pos) {
        list.push_back({Item::LinkTable, pos, pos + lt});
        pos += lt;
      } else {
        size_t end = nextBound(pos);
        list.push_back({Item::Data, pos, end});
        pos = end;
      }
    }
    return list;
  }

  void structured() {
    readTables();
    std::vector<Item> list = items();
    // Decode every chart first: the successors shown depend on its branches.
    std::map<long long, std::string> bodies;
    for (const auto& it : list) {
      if (it.kind != Item::Chart) continue;
      int need = 0;
      bodies[it.chart] = renderStream(ev_.data(), it.begin, it.end, characters(), need);
      if (need) needs_[it.chart] = need;
    }
    settleRows();

    out_ << "max " << ini_.max << "\n";
    if (referable(ini_.start))
      out_ << "start " << refName(ini_.start) << "\n";
    else if (ini_.start != 0 || !offsetOf_.empty())
      out_ << "ini START " << ini_.start << "\n";
    for (long long c = 0; c < ini_.max; ++c) {
      if (offsetOf_.count(c)) continue;
      auto a = alias_.find(c);
      uint32_t off = entry_[c] - ini_.address;
      if (a != alias_.end())
        out_ << "entry " << c << " = " << chartName(a->second) << "\n";
      else if (off != defaultOffset_ || off > ev_.size() || insideTable(off))
        out_ << "entry " << c << " = " << hex(entry_[c]) << "\n";
    }
    for (const auto& l : linkRows_) out_ << l << "\n";

    bool usual = ini_.chart == 0 && ini_.link == 4 * ini_.max;
    for (const auto& it : list) {
      switch (it.kind) {
        case Item::ChartTable:
          if (!usual) out_ << "\nchart-table\n";
          break;
        case Item::LinkTable:
          if (!usual) out_ << "\nlink-table\n";
          break;
        case Item::Chart: {
          out_ << "\nchart " << chartName(it.chart) << " = " << it.chart;
          auto s = succ_.find(it.chart);
          if (s != succ_.end()) out_ << " ->" << s->second;
          out_ << "\n" << bodies[it.chart];
          break;
        }
        case Item::Data:
          out_ << "\ndata\n" << renderRaw(ev_.data(), it.begin, it.end);
          break;
      }
    }
  }

  bool forceRaw_ = false;
  const IniValues& ini_;
  const Bytes& ev_;
  const Bytes* startup_;
  std::ostringstream& out_;
  std::vector<uint32_t> entry_;
  std::vector<std::array<uint16_t, 6>> rows_;
  size_t defaultOffset_ = 0;
  std::map<size_t, long long> primaryAt_;
  std::map<long long, size_t> offsetOf_;
  std::map<long long, long long> alias_;
  std::map<long long, int> needs_;
  std::map<long long, std::string> succ_;
  std::vector<std::string> linkRows_;
};

}  // namespace
}  // namespace story

bool dumpStory(const std::string& dataDir, std::string& scriptOut, std::string* error) {
  using namespace story;
  IniValues ini;
  if (!readIni(dataDir, ini, error)) return false;
  Bytes event, startup;
  if (!readDataFile(dataDir, ini, "EVENT.BIN", event)) {
    if (error) *error = "cannot read EVENT.BIN in " + dataDir;
    return false;
  }
  bool haveStartup = readDataFile(dataDir, ini, "ASTARTUP.BIN", startup);
  const Bytes* start = haveStartup ? &startup : nullptr;
  std::string title = "# Story dumped from " + dataDir + " by lmtool story dump.\n";
  std::ostringstream out;
  out << title;
  Dumper(ini, event, start, out).run();
  scriptOut = out.str();
  // The dump must rebuild the files; should the readable form ever fail to,
  // the bytes are kept as they are instead.
  std::string why;
  if (!reproduces(scriptOut, event, start, &why)) {
    std::ostringstream raw;
    raw << title;
    Dumper(ini, event, start, raw).runRaw(why);
    scriptOut = raw.str();
  }
  scriptOut += iniFixups(scriptOut, ini.path);
  return true;
}
