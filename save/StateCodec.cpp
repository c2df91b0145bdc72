#include "save/StateCodec.h"

#include <cstring>

#include "save/StoryState.h"

namespace save {

namespace {

struct Writer {
  ByteWriter& w;
  template <class T>
  void number(const T& v, long, long) {
    w.i32(static_cast<int32_t>(v));
  }
  void wide(const long& v, long, long) { w.i64(v); }
  void word(const uint32_t& v) { w.u32(v); }
  void flag(const bool& b) { w.u8(b ? 1 : 0); }
  void text(const std::string& s, size_t) { w.str(s); }
  template <size_t N>
  void name(const char (&n)[N]) {
    w.str(std::string(n, strnlen(n, N)));
  }
};

struct Reader {
  ByteReader& r;
  bool ok = true;
  template <class T>
  void number(T& v, long, long) {
    v = static_cast<T>(r.i32());
  }
  void wide(long& v, long lo, long hi) {
    const int64_t x = r.i64();
    // Kept out of `long`'s way where it is 32 bits; the range is checked again later.
    if (x < lo || x > hi) ok = false;
    else v = static_cast<long>(x);
  }
  void word(uint32_t& v) { v = r.u32(); }
  void flag(bool& b) {
    const uint32_t x = r.u8();
    if (x > 1) ok = false;
    b = x == 1;
  }
  void text(std::string& s, size_t cap) { s = r.str(cap); }
  // A name shorter than its buffer.
  template <size_t N>
  void name(char (&n)[N]) {
    const std::string s = r.str(N - 1);
    if (!r.ok() || s.find('\0') != std::string::npos) {
      ok = false;
      return;
    }
    std::memset(n, 0, N);
    std::memcpy(n, s.data(), s.size());
  }
};

}  // namespace

void putState(ByteWriter& w, const StorySnapshot& s) {
  Writer v{w};
  visit(v, s);
}

std::vector<uint8_t> encodeState(const StorySnapshot& s) {
  ByteWriter w;
  putState(w, s);
  return std::move(w.data());
}

bool getState(ByteReader& r, StorySnapshot& s) {
  Reader v{r};
  visit(v, s);
  return v.ok && r.ok();
}

}  // namespace save
