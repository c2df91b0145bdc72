#include "tools/author/story_lexer.h"

#include <cctype>

namespace story {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void addBytes(Literal& lit, std::initializer_list<uint8_t> bytes) {
  if (lit.empty() || lit.back().isText) {
    LiteralPiece p;
    p.isText = false;
    lit.push_back(p);
  }
  lit.back().bytes.insert(lit.back().bytes.end(), bytes);
}

void addText(Literal& lit, char c) {
  if (lit.empty() || !lit.back().isText) lit.push_back(LiteralPiece{});
  lit.back().text += c;
}

// Reads a string starting at the quote line[i]; leaves i after the closing quote.
bool readString(const std::string& line, size_t& i, Token& tok, std::string* error) {
  size_t start = i++;
  while (i < line.size() && line[i] != '"') {
    char c = line[i++];
    if (c != '\\') {
      addText(tok.lit, c);
      continue;
    }
    if (i >= line.size()) break;
    char e = line[i++];
    switch (e) {
      case '\\': addBytes(tok.lit, {0x5C}); break;
      case '"': addText(tok.lit, '"'); break;
      case 'n': addBytes(tok.lit, {0x5C, 'n'}); break;
      case 'c': addBytes(tok.lit, {0x5C, 'c'}); break;
      case 'x': {
        int hi = i < line.size() ? hexValue(line[i]) : -1;
        int lo = i + 1 < line.size() ? hexValue(line[i + 1]) : -1;
        if (hi < 0 || lo < 0) {
          if (error) *error = "\\x needs two hexadecimal digits";
          return false;
        }
        if (hi == 0 && lo == 0) {
          if (error) *error = "\\x00 would end the string early; use 'raw' for NUL bytes";
          return false;
        }
        addBytes(tok.lit, {static_cast<uint8_t>(hi * 16 + lo)});
        i += 2;
        break;
      }
      default:
        if (error)
          *error = std::string("unknown escape '\\") + e +
                   "' (known: \\n \\c \\\\ \\\" \\xHH; write \\\\ for a backslash)";
        return false;
    }
  }
  if (i >= line.size()) {
    if (error)
      *error = "string is not closed (a backslash before the closing quote escapes it; write \\\\)";
    return false;
  }
  ++i;
  tok.kind = Token::String;
  tok.text = line.substr(start, i - start);
  return true;
}

bool isSeparator(char c) {
  return std::isspace(static_cast<unsigned char>(c)) || c == ',' || c == '#' || c == '"' || c == '=';
}

}  // namespace

bool tokenizeLine(const std::string& line, std::vector<Token>& out, std::string* error) {
  out.clear();
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (std::isspace(static_cast<unsigned char>(c)) || c == ',') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      Token tok;
      if (!readString(line, i, tok, error)) return false;
      out.push_back(std::move(tok));
    } else if (c == '=') {
      Token tok;
      tok.kind = Token::Equals;
      tok.text = "=";
      out.push_back(tok);
      ++i;
    } else if (c == '-' && i + 1 < line.size() && line[i + 1] == '>') {
      Token tok;
      tok.kind = Token::Arrow;
      tok.text = "->";
      out.push_back(tok);
      i += 2;
    } else {
      size_t start = i;
      while (i < line.size() && !isSeparator(line[i]) &&
             !(line[i] == '-' && i + 1 < line.size() && line[i + 1] == '>'))
        ++i;
      Token tok;
      tok.text = line.substr(start, i - start);
      out.push_back(tok);
    }
  }
  return true;
}

bool parseNumber(const std::string& word, long long& value) {
  size_t i = 0;
  bool negative = false;
  if (i < word.size() && word[i] == '-') {
    negative = true;
    ++i;
  }
  int base = 10;
  if (word.size() > i + 2 && word[i] == '0' && (word[i + 1] == 'x' || word[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= word.size()) return false;
  long long v = 0;
  for (; i < word.size(); ++i) {
    int d = hexValue(word[i]);
    if (d < 0 || d >= base) return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFLL) return false;
  }
  value = negative ? -v : v;
  return true;
}

}  // namespace story
