#include "tools/author/story_render.h"

#include <cstdio>

namespace story {
namespace {

const char* const kIndent = "  ";

std::string hexByte(uint8_t b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", b);
  return buf;
}

std::string nameWord(const uint8_t* p, size_t n) { return std::string(p, p + n); }

std::string speakerOperand(const Instr& in) {
  if (in.args[0] == kInlineSpeaker) return renderLiteral(in.strings[0], false);
  return std::to_string(in.args[0]);
}

}  // namespace

std::string renderInstr(const Instr& in) {
  const Bytes& a = in.args;
  switch (in.op) {
    case kSpeaker: return "speaker " + speakerOperand(in);
    case kMessage: return "text " + renderLiteral(in.strings[0], true);
    case kBranch:
      if (a[0] == 0) return "jump";
      if (a[0] == 1) return "branch";
      return "branch " + std::to_string(a[0]);
    case kChoice: {
      std::string s = "choice";
      for (const auto& item : in.strings) s += " " + renderLiteral(item, false);
      return s;
    }
    case kWindowOpen: return "window open";
    case kWindowClose: return "window close";
    case kVoiceBank: return "voice " + nameWord(a.data(), 3);
    case kVoiceNext: return "voice next";
    case kVoiceNext5: {
      bool zero = true;
      for (uint8_t b : a) zero = zero && b == 0;
      std::string s = "voice next5";
      if (!zero)
        for (uint8_t b : a) s += " " + std::to_string(b);
      return s;
    }
    case kNop89: return "nop";
    case kNop8A: return "nop " + std::to_string(a[0]);
    case kNop8B: return "nop8b";
    case kNop92: return "nop92 " + std::to_string(a[0]);
    case kFace:
      return "face " + std::to_string(a[0]) + " " + (a[1] == 0 ? std::string("hide") : std::to_string(a[1] - 1));
    case kImage: {
      std::string s = "image " + nameWord(a.data() + 1, 4);
      if (a[0] != 0) s += std::string(" ") + imageModeName(a[0]);
      return s;
    }
    case kImageRemove: return "image remove";
    case kShake: return a[0] ? "shake 1" : "shake";
    case kFade: return std::string("fade ") + fadeName(a[0]);
    case kFlash: return "flash";
    case kWait: return "wait " + std::to_string(a[0]);
    default: return "";
  }
}

std::string renderRaw(const uint8_t* data, size_t begin, size_t end) {
  std::string s;
  for (size_t i = begin; i < end; i += 16) {
    s += kIndent;
    s += "raw";
    for (size_t k = i; k < end && k < i + 16; ++k) s += " " + hexByte(data[k]);
    s += "\n";
  }
  return s;
}

std::string renderStream(const uint8_t* data, size_t begin, size_t end, int characters, int& need) {
  std::string out;
  need = 0;
  int lastChoice = 0;
  size_t rawFrom = begin;
  size_t pos = begin;
  bool pendingSpeaker = false;
  std::string speakerLine;
  auto flushSpeaker = [&]() {
    if (pendingSpeaker) out += kIndent + speakerLine + "\n";
    pendingSpeaker = false;
  };
  auto flushRaw = [&](size_t upTo) {
    if (upTo > rawFrom) {
      flushSpeaker();
      out += renderRaw(data, rawFrom, upTo);
    }
  };
  while (pos < end) {
    Instr in;
    bool ok = decodeInstr(data, pos, end, in);
    if (ok && checkInstr(in, characters).empty()) {
      flushRaw(pos);
      if (in.op == kMessage && pendingSpeaker) {
        out += kIndent + std::string("say ") + speakerLine.substr(8) + " " +
               renderLiteral(in.strings[0], true) + "\n";
        pendingSpeaker = false;
      } else {
        flushSpeaker();
        if (in.op == kSpeaker) {
          pendingSpeaker = true;
          speakerLine = renderInstr(in);
        } else {
          out += kIndent + renderInstr(in) + "\n";
        }
      }
      if (in.op == kChoice) lastChoice = in.args[0];
      if (in.op == kBranch) need = std::max(need, in.args[0] == 0 || lastChoice == 0 ? 1 : lastChoice);
      pos += in.size;
      rawFrom = pos;
    } else if (ok) {
      pos += in.size;  // a known instruction with operands the player cannot use
    } else if (isInstruction(data[pos])) {
      pos = end;  // cut off by the end of the chart
    } else {
      ++pos;
    }
  }
  flushRaw(end);
  flushSpeaker();
  return out;
}

}  // namespace story
