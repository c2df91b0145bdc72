#pragma once
// Text of the story scripts: UTF-8 in the script, Shift-JIS in the game data.
// String literals keep their escapes apart from their text so that escaped
// bytes never pass through the character-set conversion.
#include <cstdint>
#include <string>
#include <vector>

namespace story {

using Bytes = std::vector<uint8_t>;

// One run of a string literal: UTF-8 text, or bytes written as escapes.
struct LiteralPiece {
  bool isText = true;
  std::string text;  // when isText
  Bytes bytes;       // otherwise
};
using Literal = std::vector<LiteralPiece>;

// Shift-JIS lead byte (the player treats every byte above 0x80 as one in messages).
bool isSjisLead(uint8_t c);
bool isSjisTrail(uint8_t c);

// Converts the literal to Shift-JIS (code page 932, falling back to plain
// Shift-JIS for the few characters only it maps, such as U+301C). Returns
// false with a message naming the offending character.
bool encodeLiteral(const Literal& lit, Bytes& out, std::string* error);

// Shorthand for a literal of plain UTF-8 text.
bool encodeText(const std::string& utf8, Bytes& out, std::string* error);

// Shift-JIS double-byte character -> UTF-8, only when converting it back gives
// the same two bytes; false otherwise.
bool decodePair(uint8_t lead, uint8_t trail, std::string& utf8);

// Renders bytes as a script string literal (with the quotes) that encodes back
// to exactly those bytes. `message` renders the player's line-break and clear
// codes as \n and \c and groups bytes the way the player types them.
std::string renderLiteral(const Bytes& bytes, bool message);

}  // namespace story
