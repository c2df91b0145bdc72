#pragma once
// The scenario byte code: instruction layout, decoding and the limits the
// player's buffers put on operands. Shared by the compiler and the dumper so
// that a dump never shows an instruction the compiler would refuse.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/ScenarioCode.h"
#include "tools/author/story_text.h"

namespace story {

// The instruction bytes and phases, as the interpreter names them.
using namespace scenario;

constexpr int kInlineSpeaker = 255;
constexpr size_t kNameMax = 49;         // default names: 50-byte buffers
constexpr size_t kInlineNameMax = 251;  // "【" name "】" must fit a 255-byte line
constexpr size_t kItemMax = 49;         // choice items: 50-byte buffers
constexpr int kItemsMax = 6;
constexpr size_t kLineMax = 255;        // a text line buffer holds 255 bytes
constexpr size_t kVisibleLine = 36;     // bytes visible between columns 16 and 306
constexpr int kFaceMax = 99;
constexpr int kImageModeMax = 8;
constexpr int kFadeMax = 3;

// One instruction: the operation, its fixed operand bytes and its strings
// (inline speaker name, choice items or message text, without the NUL).
struct Instr {
  uint8_t op = 0;
  Bytes args;
  std::vector<Bytes> strings;
  size_t size = 0;  // encoded length in bytes
};

// Decodes the instruction at data[pos] (bytes up to `end` are available).
// False for a byte that is not an instruction or one cut off by `end`.
bool decodeInstr(const uint8_t* data, size_t pos, size_t end, Instr& out);

// The bytes of `in` (fills nothing in `in`).
Bytes encodeInstr(const Instr& in);

// What the player cannot handle: empty when `in` is sound. `characters` is the
// number of default names.
std::string checkInstr(const Instr& in, int characters);

// Things that work but are probably not meant (text clipped by the window).
std::string warnInstr(const Instr& in);

// How many default names a speaker number may refer to for a "CHAR" value
// (the INI reader wraps it to 32 bits; more than 254 names are never needed).
int characterLimit(long long charValue);

// Names of the image transition modes (0..8) and fades (0..3).
const char* imageModeName(int mode);
int imageModeByName(const std::string& name);  // -1 when unknown
const char* fadeName(int f);
int fadeByName(const std::string& name);  // -1 when unknown

// A file-name character allowed in image and voice names.
bool isNameChar(uint8_t c);

}  // namespace story
