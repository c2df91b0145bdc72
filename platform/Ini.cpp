#include "platform/Ini.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileOps.h"

namespace platform {
namespace {

bool isSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

unsigned char foldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// ASCII letters match regardless of case; the two bytes of a Shift-JIS
// character must match exactly (the trail byte may look like a letter).
bool sameName(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = a[i], y = b[i];
    if (isSjisLead(x) && i + 1 < n) {
      if (x != y || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (foldAscii(x) != foldAscii(y)) return false;
  }
  return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// A file's sections in file order, each with its keys in file order.
struct Section {
  std::string name;
  std::vector<std::pair<std::string, std::string>> keys;
};

std::vector<Section> parse(const std::string& text) {
  std::vector<Section> sections;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      sections.push_back({trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)), {}});
      continue;
    }
    if (sections.empty()) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string v = trim(line.substr(eq + 1));
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
    sections.back().keys.emplace_back(trim(line.substr(0, eq)), std::move(v));
  }
  return sections;
}

// What identifies one version of a file.
struct Version {
  uint64_t volume = 0;
  uint64_t index = 0;
  long long size = -1;
  long long mtimeNs = 0;
  bool operator==(const Version& o) const {
    return volume == o.volume && index == o.index && size == o.size && mtimeNs == o.mtimeNs;
  }
};

Version versionOf(const fileops::Facts& f) { return {f.volume, f.index, f.size, f.mtimeNs}; }

struct Closer {
  void operator()(std::FILE* fp) const { std::fclose(fp); }
};

// Reads a regular file, at most kMaxIniBytes (then up to its last line end
// within that). False for anything else: a FIFO or a device never blocks or
// streams endlessly here.
bool readRegular(const char* file, std::string& text, Version& version) {
  fileops::Facts facts;
  int err = 0;
  std::unique_ptr<std::FILE, Closer> fp(fileops::openRegularForReading(file, facts, err));
  if (!fp) return false;
  version = versionOf(facts);
  text.clear();
  char buf[4096];
  while (text.size() < kMaxIniBytes) {
    const size_t want = std::min(sizeof buf, kMaxIniBytes - text.size());
    const size_t n = std::fread(buf, 1, want, fp.get());
    if (n == 0) break;
    text.append(buf, n);
  }
  if (text.size() >= kMaxIniBytes && std::fgetc(fp.get()) != EOF) {
    // Cut at a line end so no value is read half.
    const size_t lastLine = text.rfind('\n');
    text.resize(lastLine == std::string::npos ? 0 : lastLine + 1);
  }
  return true;
}

// File times come from a coarse clock: a file written in the same clock tick
// as it was read may change again without its time changing. Such a recent
// copy is read again at each use until the file has aged past this margin.
constexpr long long kRacyMarginNs = 100'000'000;

long long nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

struct Cache {
  std::mutex lock;
  std::string file;
  bool present = false;
  bool settled = false;  // the file was older than the read by the margin
  Version version;
  std::vector<Section> sections;
  unsigned long reads = 0;
};

Cache& cache() {
  static Cache c;
  return c;
}

// Finds the value of key in the first section named `section`.
bool lookup(const char* section, const char* key, const char* file, std::string& value) {
  if (!section || !key || !file) return false;
  Cache& c = cache();
  std::lock_guard<std::mutex> guard(c.lock);
  const fileops::Facts st = fileops::lookThrough(file);
  const bool exists = st.kind == fileops::Kind::Regular;
  const bool fresh =
      c.file == file && c.present == exists && (!exists || (c.settled && c.version == versionOf(st)));
  if (!fresh) {
    std::string text;
    Version version;
    const long long now = nowNs();
    c.file = file;
    c.present = readRegular(file, text, version);
    c.version = version;
    c.settled = version.mtimeNs < now - kRacyMarginNs;
    c.sections = c.present ? parse(text) : std::vector<Section>();
    ++c.reads;
  }
  for (const Section& s : c.sections) {
    if (!sameName(s.name, section)) continue;
    // Only the first section of that name counts.
    for (const auto& [k, v] : s.keys) {
      if (sameName(k, key)) {
        value = v;
        return true;
      }
    }
    return false;
  }
  return false;
}

}  // namespace

int getProfileString(const char* section, const char* key, const char* def, char* out, int size,
                     const char* file) {
  if (!out || size <= 0) return 0;
  std::string value;
  if (!lookup(section, key, file, value)) value = def ? def : "";
  size_t n = value.size() < static_cast<size_t>(size - 1) ? value.size() : static_cast<size_t>(size - 1);
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
  return static_cast<int>(n);
}

int getProfileInt(const char* section, const char* key, int def, const char* file) {
  std::string value;
  if (!lookup(section, key, file, value) || value.empty()) return def;
  size_t i = 0;
  while (i < value.size() && isBlank(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
  uint32_t result = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
    result = result * 10 + static_cast<uint32_t>(value[i] - '0');  // wraps modulo 2^32
  if (negative) result = 0u - result;
  return static_cast<int>(result);
}

unsigned long iniFileReads() {
  Cache& c = cache();
  std::lock_guard<std::mutex> guard(c.lock);
  return c.reads;
}

}  // namespace platform
