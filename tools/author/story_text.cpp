#include "tools/author/story_text.h"

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace story {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts the whole input or nothing.
  bool run(const std::string& in, std::string& out) {
    if (!ok()) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buf[64];
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    out.clear();
    while (left > 0) {
      char* dst = buf;
      size_t room = sizeof buf;
      size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf, dst - buf);
      if (r == static_cast<size_t>(-1) && dst == buf) return false;
    }
    char* dst = buf;
    size_t room = sizeof buf;
    if (iconv(cd_, nullptr, nullptr, &dst, &room) == static_cast<size_t>(-1)) return false;
    out.append(buf, dst - buf);
    return true;
  }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 sequence starting at s[i] and its code point; 0 when invalid.
size_t utf8Next(const std::string& s, size_t i, uint32_t& cp) {
  auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  uint8_t c = b(i);
  size_t n;
  if (c < 0x80) {
    cp = c;
    return 1;
  } else if ((c & 0xE0) == 0xC0) {
    n = 2;
    cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    n = 3;
    cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  static const uint32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < minimum[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

bool encodeChar(Converter& cp932, Converter& sjis, const std::string& ch, Bytes& out) {
  std::string got;
  bool ok = cp932.run(ch, got) && got.size() == 2;
  if (!ok) ok = sjis.run(ch, got) && got.size() == 2;
  if (!ok || !isSjisLead(static_cast<uint8_t>(got[0]))) return false;
  out.push_back(static_cast<uint8_t>(got[0]));
  out.push_back(static_cast<uint8_t>(got[1]));
  return true;
}

std::string codePointName(const std::string& ch, uint32_t cp) {
  char buf[32];
  std::snprintf(buf, sizeof buf, " (U+%04X)", static_cast<unsigned>(cp));
  return "'" + ch + "'" + buf;
}

// The characters of a run that cannot be written, each named once, in order.
struct Unconvertible {
  std::vector<std::string> kana, other;

  static void note(std::vector<std::string>& list, const std::string& name) {
    if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
  }
  static std::string joined(const std::vector<std::string>& list) {
    std::string s;
    for (const std::string& n : list) s += (s.empty() ? "" : ", ") + n;
    return s;
  }
  std::string message() const {
    std::string m;
    if (!other.empty()) m = "cannot convert " + joined(other) + " to Shift-JIS";
    if (!kana.empty())
      m += (m.empty() ? "" : "; ") + std::string("half-width katakana ") + joined(kana) +
           (kana.size() == 1 ? " is" : " are") + " not shown correctly by the player; use full-width kana";
    return m;
  }
};

// Converts the whole run; every character that has no Shift-JIS form is
// named, so an author mends a line in one go.
bool encodeRun(Converter& cp932, Converter& sjis, const std::string& text, Bytes& out, Unconvertible& bad,
               std::string* error) {
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    size_t n = utf8Next(text, i, cp);
    if (n == 0) {
      if (error) *error = "text is not valid UTF-8";
      return false;
    }
    std::string ch = text.substr(i, n);
    i += n;
    if (cp == 0) {
      if (error) *error = "a NUL byte cannot appear inside a string";
      return false;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<uint8_t>(cp));
      continue;
    }
    if (cp >= 0xFF61 && cp <= 0xFF9F) {
      Unconvertible::note(bad.kana, codePointName(ch, cp));
      continue;
    }
    if (!encodeChar(cp932, sjis, ch, out)) Unconvertible::note(bad.other, codePointName(ch, cp));
  }
  return true;
}

}  // namespace

bool isSjisLead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool isSjisTrail(uint8_t c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

bool encodeLiteral(const Literal& lit, Bytes& out, std::string* error) {
  // Opened once per thread: opening a converter costs far more than a character.
  thread_local Converter cp932("CP932", "UTF-8");
  thread_local Converter sjis("SHIFT_JIS", "UTF-8");
  if (!cp932.ok()) {
    if (error) *error = "the C library has no CP932 converter";
    return false;
  }
  Unconvertible bad;
  for (const auto& piece : lit) {
    if (!piece.isText) {
      out.insert(out.end(), piece.bytes.begin(), piece.bytes.end());
      continue;
    }
    if (!encodeRun(cp932, sjis, piece.text, out, bad, error)) return false;
  }
  if (bad.kana.empty() && bad.other.empty()) return true;
  if (error) *error = bad.message();
  return false;
}

bool encodeText(const std::string& utf8, Bytes& out, std::string* error) {
  LiteralPiece p;
  p.text = utf8;
  return encodeLiteral(Literal{p}, out, error);
}

bool decodePair(uint8_t lead, uint8_t trail, std::string& utf8) {
  if (!isSjisLead(lead) || !isSjisTrail(trail)) return false;
  thread_local Converter toUtf8("UTF-8", "CP932");
  std::string in{static_cast<char>(lead), static_cast<char>(trail)};
  if (!toUtf8.run(in, utf8) || utf8.empty()) return false;
  Bytes back;
  if (!encodeText(utf8, back, nullptr)) return false;
  return back.size() == 2 && back[0] == lead && back[1] == trail;
}

namespace {

void appendHex(std::string& s, uint8_t b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", b);
  s += buf;
}

void appendSingle(std::string& s, uint8_t b) {
  if (b == '"')
    s += "\\\"";
  else if (b == '\\')
    s += "\\\\";
  else if (b >= 0x20 && b < 0x7F)
    s += static_cast<char>(b);
  else
    appendHex(s, b);
}

}  // namespace

std::string renderLiteral(const Bytes& bytes, bool message) {
  std::string s = "\"";
  for (size_t i = 0; i < bytes.size();) {
    uint8_t c = bytes[i];
    if (c == '\\' && i + 1 < bytes.size() && (bytes[i + 1] == 'n' || bytes[i + 1] == 'c')) {
      s += '\\';
      s += static_cast<char>(bytes[i + 1]);
      i += 2;
      continue;
    }
    if (c == '\\' && message && i + 1 < bytes.size()) {
      // The player prints a backslash and the byte after it as two singles.
      s += "\\\\";
      appendSingle(s, bytes[i + 1]);
      i += 2;
      continue;
    }
    if (c >= 0x80 && i + 1 < bytes.size()) {
      std::string utf8;
      if (decodePair(c, bytes[i + 1], utf8)) {
        s += utf8;
        i += 2;
        continue;
      }
      if (message && c > 0x80) {
        // Typed as one two-byte unit, whatever the second byte is.
        appendHex(s, c);
        appendHex(s, bytes[i + 1]);
        i += 2;
        continue;
      }
    }
    appendSingle(s, c);
    ++i;
  }
  s += '"';
  return s;
}

}  // namespace story
