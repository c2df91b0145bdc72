#pragma once
// Splits one line of a story script into words, strings and the signs = and ->.
#include <string>
#include <vector>

#include "tools/author/story_text.h"

namespace story {

struct Token {
  enum Kind { Word, String, Equals, Arrow };
  Kind kind = Word;
  std::string text;  // a word as written; for a string, its source text
  Literal lit;       // a string's pieces
};

// Tokenizes `line` (without its line break). '#' outside a string starts a
// comment; commas separate like blanks. False with a message on a malformed
// string.
bool tokenizeLine(const std::string& line, std::vector<Token>& out, std::string* error);

// Decimal, 0x hexadecimal or a leading minus sign. False for anything else.
bool parseNumber(const std::string& word, long long& value);

}  // namespace story
