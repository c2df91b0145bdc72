#include "platform/Ini.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

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

bool readFile(const char* file, std::string& text) {
  FILE* fp = std::fopen(file, "rb");
  if (!fp) return false;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) text.append(buf, n);
  std::fclose(fp);
  return true;
}

// Finds the value of key in the first section named `section`.
bool lookup(const char* section, const char* key, const char* file, std::string& value) {
  std::string text;
  if (!section || !key || !file || !readFile(file, text)) return false;
  bool inSection = false, seenSection = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (seenSection) return false;  // only the first section of that name counts
      size_t close = line.find(']');
      std::string name = trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      inSection = sameName(name, section);
      seenSection = inSection;
      continue;
    }
    if (!inSection) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (!sameName(trim(line.substr(0, eq)), key)) continue;
    std::string v = trim(line.substr(eq + 1));
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
    value = v;
    return true;
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
  uint32_t base = 10;
  if (i + 1 < value.size() && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  uint32_t result = 0;
  for (; i < value.size(); ++i) {
    unsigned char c = value[i];
    uint32_t digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    result = result * base + digit;  // wraps modulo 2^32
  }
  if (negative) result = 0u - result;
  return static_cast<int>(result);
}

}  // namespace platform
