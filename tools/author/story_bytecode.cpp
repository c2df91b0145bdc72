#include "tools/author/story_bytecode.h"

#include <cstring>

namespace story {
namespace {

// Reads a NUL-terminated string; false when `end` comes first.
bool readString(const uint8_t* data, size_t& pos, size_t end, Bytes& out) {
  out.clear();
  while (pos < end) {
    uint8_t c = data[pos++];
    if (c == 0) return true;
    out.push_back(c);
  }
  return false;
}

// A message as the player types it: a byte above 0x80 or a backslash takes the
// following byte with it, so a NUL there does not end the message.
bool readMessage(const uint8_t* data, size_t& pos, size_t end, Bytes& out) {
  out.clear();
  while (pos < end) {
    uint8_t c = data[pos++];
    if (c == 0) return true;
    out.push_back(c);
    if (c > 0x80 || c == 0x5C) {
      if (pos >= end) return false;
      out.push_back(data[pos++]);
    }
  }
  return false;
}

// Operand bytes of the instructions with a fixed layout; -1 for the others.
int fixedOperands(uint8_t op) {
  switch (op) {
    case kWindowOpen: case kWindowClose: case kVoiceNext: case kNop89: case kNop8B:
    case kImageRemove:
      return 0;
    case kBranch: case kNop8A: case kShake: case kFade: case kFlash: case kNop92: case kWait:
      return 1;
    case kFace: return 2;
    case kVoiceBank: return 4;
    case kVoiceNext5: return 5;
    case kImage: return 6;
    default: return -1;
  }
}

// Bytes a message puts on each text line, split at the line-break and clear codes.
std::vector<size_t> lineLengths(const Bytes& text) {
  std::vector<size_t> lines{0};
  for (size_t i = 0; i < text.size();) {
    uint8_t c = text[i];
    size_t unit = (c > 0x80 || c == 0x5C) ? 2 : 1;
    if (c == 0x5C && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 'c')) {
      lines.push_back(0);
    } else {
      lines.back() += unit;
    }
    i += unit;
  }
  return lines;
}

std::string number(size_t v) { return std::to_string(v); }

}  // namespace

bool isNameChar(uint8_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         c == '-';
}

bool decodeInstr(const uint8_t* data, size_t pos, size_t end, Instr& out) {
  out = Instr{};
  if (pos >= end) return false;
  size_t start = pos;
  out.op = data[pos++];
  int fixed = fixedOperands(out.op);
  if (fixed >= 0) {
    if (end - pos < static_cast<size_t>(fixed)) return false;
    out.args.assign(data + pos, data + pos + fixed);
    pos += fixed;
  } else if (out.op == kSpeaker) {
    if (pos >= end) return false;
    out.args.push_back(data[pos++]);
    if (out.args[0] == kInlineSpeaker) {
      out.strings.emplace_back();
      if (!readString(data, pos, end, out.strings.back())) return false;
    }
  } else if (out.op == kMessage) {
    out.strings.emplace_back();
    if (!readMessage(data, pos, end, out.strings.back())) return false;
  } else if (out.op == kChoice) {
    if (pos >= end) return false;
    out.args.push_back(data[pos++]);
    for (int k = 0; k < out.args[0]; ++k) {
      out.strings.emplace_back();
      if (!readString(data, pos, end, out.strings.back())) return false;
    }
  } else {
    return false;
  }
  out.size = pos - start;
  return true;
}

Bytes encodeInstr(const Instr& in) {
  Bytes b{in.op};
  b.insert(b.end(), in.args.begin(), in.args.end());
  for (const auto& s : in.strings) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
  }
  return b;
}

std::string checkInstr(const Instr& in, int characters) {
  auto nameOk = [](const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
      if (!isNameChar(p[i])) return false;
    return true;
  };
  switch (in.op) {
    case kSpeaker: {
      int n = in.args.at(0);
      if (n == kInlineSpeaker) {
        if (in.strings.at(0).size() > kInlineNameMax)
          return "speaker name is " + number(in.strings[0].size()) + " bytes; at most " +
                 number(kInlineNameMax) + " fit the text line with its brackets";
        return "";
      }
      if (n < 1 || n > characters)
        return "speaker " + number(n) + " is not a declared character (" +
               (characters ? "1.." + number(characters) : std::string("none declared")) + ")";
      return "";
    }
    case kMessage: {
      const Bytes& t = in.strings.at(0);
      for (uint8_t c : t)
        if (c == 0) return "a NUL byte inside a message (after a lead byte or backslash)";
      Bytes framed = t;
      framed.push_back(0);
      Instr back;
      Bytes whole{kMessage};
      whole.insert(whole.end(), framed.begin(), framed.end());
      if (!decodeInstr(whole.data(), 0, whole.size(), back) || back.size != whole.size())
        return "message ends inside a two-byte character or after a lone backslash; the player "
               "would read past its end";
      for (size_t len : lineLengths(t))
        if (len > kLineMax)
          return "a message line is " + number(len) + " bytes; a text line holds at most " +
                 number(kLineMax);
      return "";
    }
    case kChoice: {
      int n = in.args.at(0);
      if (n < 1 || n > kItemsMax) return "a choice has 1 to 6 answers, not " + number(n);
      for (const auto& s : in.strings)
        if (s.size() > kItemMax)
          return "choice answer is " + number(s.size()) + " bytes; at most " + number(kItemMax) +
                 " fit";
      return "";
    }
    case kVoiceBank:
      if (!nameOk(in.args.data(), 3)) return "voice bank name needs three letters or digits";
      if (in.args[3] != 0) return "the voice bank's spare byte is not 0";
      return "";
    case kFace:
      if (in.args[0] > kFaceMax) return "face character " + number(in.args[0]) + " is above 99";
      if (in.args[1] > kFaceMax + 1)
        return "face expression " + number(in.args[1] - 1) + " is above 99";
      return "";
    case kImage:
      if (in.args[0] > kImageModeMax) return "image mode " + number(in.args[0]) + " is above 8";
      if (!nameOk(in.args.data() + 1, 4)) return "image name needs four letters or digits";
      if (in.args[5] != 0) return "the image's spare byte is not 0";
      return "";
    case kShake:
      return in.args[0] <= 1 ? "" : "shake takes 0 or 1, not " + number(in.args[0]);
    case kFade:
      return in.args[0] <= kFadeMax ? "" : "fade takes 0..3, not " + number(in.args[0]);
    case kFlash:
      return in.args[0] == 0 ? "" : "flash takes 0, not " + number(in.args[0]);
    default:
      return fixedOperands(in.op) >= 0 ? "" : "not an instruction";
  }
}

std::string warnInstr(const Instr& in) {
  if (in.op != kMessage) return "";
  for (size_t len : lineLengths(in.strings.at(0)))
    if (len > kVisibleLine)
      return "a message line is " + number(len) + " bytes wide; the window shows about " +
             number(kVisibleLine) + " (18 full-width characters) and clips the rest";
  return "";
}

namespace {
const char* const kModeNames[] = {"cut",        "rise", "drop",   "slide-right", "slide-left",
                                  "zoom",       "pan-up", "pan-down", "swap"};
const char* const kFadeNames[] = {"out", "in", "white", "from-white"};
}  // namespace

int characterLimit(long long charValue) {
  int32_t wrapped = static_cast<int32_t>(static_cast<uint32_t>(charValue));
  return wrapped < 0 ? 0 : wrapped > 255 ? 255 : wrapped;
}

const char* imageModeName(int mode) {
  return mode >= 0 && mode <= kImageModeMax ? kModeNames[mode] : nullptr;
}

int imageModeByName(const std::string& name) {
  for (int m = 0; m <= kImageModeMax; ++m)
    if (name == kModeNames[m]) return m;
  return -1;
}

const char* fadeName(int f) { return f >= 0 && f <= kFadeMax ? kFadeNames[f] : nullptr; }

int fadeByName(const std::string& name) {
  if (name == "black") return 0;
  if (name == "normal") return 1;
  for (int f = 0; f <= kFadeMax; ++f)
    if (name == kFadeNames[f]) return f;
  return -1;
}

}  // namespace story
