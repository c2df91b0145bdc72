// Reads a story script line by line into a Model. Instructions are encoded as
// they are read; chart references are kept by name until layout.
#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "tools/author/story_bytecode.h"
#include "tools/author/story_lexer.h"
#include "tools/author/story_model.h"

namespace story {

const char* const kDirKeys[5] = {"SYSDIR", "PCMDIR", "ROOTDIR", "EVDIR", "FACEDIR"};

void Diagnostics::error(int line, const std::string& message) {
  if (errors_.size() < kMaxErrors) errors_.push_back(source_ + ":" + std::to_string(line) + ": " + message);
}

void Diagnostics::warning(int line, const std::string& message) {
  warnings_.push_back(source_ + ":" + std::to_string(line) + ": warning: " + message);
}

std::string Diagnostics::errorText() const {
  std::string s;
  for (const auto& e : errors_) s += (s.empty() ? "" : "\n") + e;
  return s;
}

namespace {

using Tokens = std::vector<Token>;

bool isNumberWord(const std::string& w) {
  long long v;
  return parseNumber(w, v);
}

// The name the player reads back from "【" name "】" (its pair-wise scan).
Bytes readBackName(const Bytes& name) {
  Bytes file{0x81, 0x79};
  file.insert(file.end(), name.begin(), name.end());
  file.push_back(0x81);
  file.push_back(0x7A);
  Bytes got;
  for (size_t i = 2; i < file.size();) {
    uint8_t c = file[i];
    if (c >= 0x80 && i + 1 < file.size()) {
      if (c == 0x81 && file[i + 1] == 0x7A) break;
      got.push_back(c);
      got.push_back(file[i + 1]);
      i += 2;
    } else {
      got.push_back(c);
      ++i;
    }
  }
  return got;
}

class Parser {
 public:
  Parser(Model& m, Diagnostics& d) : m_(m), d_(d) { registerHandlers(); }
  Parser(const Parser&) = delete;  // the handlers hold `this`
  Parser& operator=(const Parser&) = delete;

  void run(const std::string& text) {
    std::vector<std::string> lines = splitLines(text);
    for (int pass = 0; pass < 2 && !d_.full(); ++pass) {
      for (size_t i = 0; i < lines.size() && !d_.full(); ++i) {
        line_ = static_cast<int>(i) + 1;
        Tokens t;
        std::string err;
        if (!tokenizeLine(lines[i], t, &err)) {
          if (pass == 1) d_.error(line_, err);
          continue;
        }
        if (t.empty()) continue;
        if (t[0].kind == Token::String && pass == 1 && open_) {
          continueMessage(t);
          continue;
        }
        if (t[0].kind != Token::Word) {
          if (pass == 1)
            d_.error(line_, "a line starts with a keyword (or continues a message with strings), not '" +
                                t[0].text + "'");
          continue;
        }
        bool early = t[0].text == "character" || t[0].text == "ini";
        if (early == (pass == 0)) statement(t);
      }
      if (pass == 0) checkCharacters();
    }
  }

 private:
  static std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    while (pos <= text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      std::string l = text.substr(pos, end - pos);
      if (!l.empty() && l.back() == '\r') l.pop_back();
      lines.push_back(l);
      pos = end + 1;
    }
    return lines;
  }

  void err(const std::string& msg) { d_.error(line_, msg); }

  // ---- operand helpers ----

  bool count(const Tokens& t, size_t lo, size_t hi, const char* usage) {
    if (t.size() - 1 < lo || t.size() - 1 > hi) {
      err(std::string("usage: ") + usage);
      return false;
    }
    return true;
  }

  bool num(const Token& tok, long long lo, long long hi, long long& v, const std::string& what) {
    if (tok.kind != Token::Word || !parseNumber(tok.text, v)) {
      err(what + " must be a number, not '" + tok.text + "'");
      return false;
    }
    if (v < lo || v > hi) {
      err(what + " " + tok.text + " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
      return false;
    }
    return true;
  }

  bool str(const Token& tok, Bytes& out, const std::string& what) {
    if (tok.kind != Token::String) {
      err(what + " must be a quoted string, not '" + tok.text + "'");
      return false;
    }
    std::string e;
    out.clear();
    if (!encodeLiteral(tok.lit, out, &e)) {
      err(what + ": " + e);
      return false;
    }
    return true;
  }

  // A word or a string, as bytes (file and directory names).
  bool wordOrString(const Token& tok, Bytes& out, const std::string& what) {
    if (tok.kind == Token::Word) {
      out.assign(tok.text.begin(), tok.text.end());
      return true;
    }
    return str(tok, out, what);
  }

  bool bytesItems(const Tokens& t, size_t from, Bytes& out) {
    for (size_t i = from; i < t.size(); ++i) {
      if (t[i].kind == Token::String) {
        Bytes b;
        if (!str(t[i], b, "bytes")) return false;
        out.insert(out.end(), b.begin(), b.end());
      } else {
        long long v;
        if (!num(t[i], 0, 255, v, "byte")) return false;
        out.push_back(static_cast<uint8_t>(v));
      }
    }
    return true;
  }

  ChartRef chartRef(const Token& tok) {
    ChartRef r;
    r.line = line_;
    long long v;
    if (tok.kind == Token::Word && parseNumber(tok.text, v))
      r.number = v;
    else
      r.name = tok.text;
    return r;
  }

  bool refs(const Tokens& t, size_t from, std::vector<ChartRef>& out) {
    if (t.size() - from > 6) {
      err("a chart has at most 6 successors");
      return false;
    }
    for (size_t i = from; i < t.size(); ++i) {
      if (t[i].kind != Token::Word) {
        err("successor must be a chart name or number, not '" + t[i].text + "'");
        return false;
      }
      ChartRef r = chartRef(t[i]);
      if (r.name.empty() && (r.number < 0 || r.number > 0xFFFF)) {
        err("chart number " + t[i].text + " is outside 0..65535");
        return false;
      }
      out.push_back(r);
    }
    return true;
  }

  int characterCount() const {
    auto it = m_.ini.find("CHAR");
    if (it != m_.ini.end()) return characterLimit(it->second);
    return static_cast<int>(m_.characters.size());
  }

  // ---- instructions ----

  Block* block() {
    if (m_.blocks.empty()) {
      err("instruction outside a chart: start one with 'chart NAME'");
      return nullptr;
    }
    return &m_.blocks.back();
  }

  void emit(const Instr& in) {
    Block* b = block();
    if (!b) return;
    std::string e = checkInstr(in, characterCount());
    if (!e.empty()) {
      err(e);
      return;
    }
    std::string w = warnInstr(in);
    if (!w.empty()) d_.warning(line_, w);
    Bytes bytes = encodeInstr(in);
    b->marks.emplace_back(b->bytes.size(), line_);
    b->bytes.insert(b->bytes.end(), bytes.begin(), bytes.end());
  }

  static Instr make(uint8_t op, Bytes args = {}) {
    Instr in;
    in.op = op;
    in.args = std::move(args);
    return in;
  }

  bool speakerInstr(const Token& tok, Instr& in) {
    in = make(kSpeaker);
    if (tok.kind == Token::String) {
      in.args.push_back(kInlineSpeaker);
      in.strings.emplace_back();
      return str(tok, in.strings.back(), "speaker name");
    }
    long long v;
    if (parseNumber(tok.text, v)) {
      if (v == kInlineSpeaker) {
        err("speaker 255 is the inline-name form: write the name in quotes");
        return false;
      }
      if (!num(tok, 1, 254, v, "speaker")) return false;
      in.args.push_back(static_cast<uint8_t>(v));
      return true;
    }
    auto it = aliases_.find(tok.text);
    if (it == aliases_.end()) {
      err("unknown character '" + tok.text + "'");
      return false;
    }
    in.args.push_back(static_cast<uint8_t>(it->second));
    return true;
  }

  bool messageInstr(const Tokens& t, size_t from, Instr& in) {
    in = make(kMessage);
    in.strings.emplace_back();
    if (from >= t.size()) {
      err("message text missing");
      return false;
    }
    for (size_t i = from; i < t.size(); ++i) {
      Bytes b;
      if (!str(t[i], b, "message")) return false;
      in.strings[0].insert(in.strings[0].end(), b.begin(), b.end());
    }
    return true;
  }

  void speaker(const Tokens& t) {
    Instr in;
    if (count(t, 1, 1, "speaker NUMBER|ALIAS|\"Name\"") && speakerInstr(t[1], in)) emit(in);
  }

  // Emits a message that following lines of strings may extend.
  void emitMessage(const Instr& in) {
    Block* b = block();
    if (!b) return;
    size_t at = b->bytes.size();
    emit(in);
    if (b->bytes.size() == at) return;
    open_ = true;
    openMsg_ = in;
    openAt_ = at;
  }

  void continueMessage(const Tokens& t) {
    Instr grown = openMsg_;
    for (const auto& tok : t) {
      Bytes b;
      if (!str(tok, b, "message")) {
        open_ = false;
        return;
      }
      grown.strings[0].insert(grown.strings[0].end(), b.begin(), b.end());
    }
    std::string e = checkInstr(grown, characterCount());
    if (!e.empty()) {
      err(e);
      open_ = false;
      return;
    }
    std::string w = warnInstr(grown);
    if (!w.empty() && warnInstr(openMsg_).empty()) d_.warning(line_, w);
    Block& b = m_.blocks.back();
    b.bytes.resize(openAt_);
    Bytes bytes = encodeInstr(grown);
    b.bytes.insert(b.bytes.end(), bytes.begin(), bytes.end());
    openMsg_ = grown;
  }

  void text(const Tokens& t) {
    Instr in;
    if (messageInstr(t, 1, in)) emitMessage(in);
  }

  void say(const Tokens& t) {
    if (t.size() < 3) {
      err("usage: say SPEAKER \"text\"");
      return;
    }
    Instr who, what;
    if (speakerInstr(t[1], who) && messageInstr(t, 2, what)) {
      emit(who);
      emitMessage(what);
    }
  }

  void needColumns(int n) {
    Block* b = block();
    if (!b) return;
    if (n > b->need) {
      b->need = n;
      b->needLine = line_;
    }
  }

  void jump(const Tokens& t) {
    if (!count(t, 0, 0, "jump")) return;
    emit(make(kBranch, {0}));
    needColumns(1);
  }

  void branch(const Tokens& t) {
    if (!count(t, 0, 1, "branch [COLUMN-SELECTOR]")) return;
    long long v = 1;
    if (t.size() == 2 && !num(t[1], 0, 255, v, "branch operand")) return;
    emit(make(kBranch, {static_cast<uint8_t>(v)}));
    Block* b = block();
    if (b) needColumns(v == 0 || b->lastChoice == 0 ? 1 : b->lastChoice);
  }

  void choice(const Tokens& t) {
    if (t.size() < 2 || t.size() > 1 + kItemsMax) {
      err("a choice has 1 to 6 answers");
      return;
    }
    Instr in = make(kChoice, {static_cast<uint8_t>(t.size() - 1)});
    bool ok = true;  // every answer is looked at, so each fault of the line is named
    for (size_t i = 1; i < t.size(); ++i) {
      in.strings.emplace_back();
      ok = str(t[i], in.strings.back(), "choice answer") && ok;
    }
    if (!ok) return;
    emit(in);
    if (Block* b = block()) b->lastChoice = static_cast<int>(t.size() - 1);
  }

  void window(const Tokens& t) {
    if (!count(t, 1, 1, "window open|close")) return;
    if (t[1].text == "open")
      emit(make(kWindowOpen));
    else if (t[1].text == "close")
      emit(make(kWindowClose));
    else
      err("usage: window open|close");
  }

  void voice(const Tokens& t) {
    if (t.size() < 2) {
      err("usage: voice NAME | voice next | voice next5 [5 bytes]");
      return;
    }
    if (t[1].kind == Token::Word && t[1].text == "next") {
      if (count(t, 1, 1, "voice next")) emit(make(kVoiceNext));
      return;
    }
    if (t[1].kind == Token::Word && t[1].text == "next5") {
      if (t.size() != 2 && t.size() != 7) {
        err("usage: voice next5 [B1 B2 B3 B4 B5]");
        return;
      }
      Bytes args(5, 0);
      if (t.size() == 7) {
        args.clear();
        if (!bytesItems(t, 2, args)) return;
      }
      emit(make(kVoiceNext5, args));
      return;
    }
    if (!count(t, 1, 1, "voice NAME")) return;
    Bytes name;
    if (!wordOrString(t[1], name, "voice bank name")) return;
    if (name.size() != 3) {
      err("voice bank name '" + t[1].text + "' must have exactly 3 characters (KIxxx.PCM)");
      return;
    }
    name.push_back(0);
    emit(make(kVoiceBank, name));
  }

  void nop(const Tokens& t) {
    const std::string& k = t[0].text;
    long long v = 0;
    if (k == "nop" && t.size() == 1) return emit(make(kNop89));
    if (k == "nop89" || k == "nop8b") {
      if (count(t, 0, 0, k.c_str())) emit(make(k == "nop89" ? kNop89 : kNop8B));
      return;
    }
    if (!count(t, 1, 1, (k + " BYTE").c_str()) || !num(t[1], 0, 255, v, "operand")) return;
    emit(make(k == "nop92" ? kNop92 : kNop8A, {static_cast<uint8_t>(v)}));
  }

  void face(const Tokens& t) {
    if (!count(t, 2, 2, "face CHARACTER EXPRESSION | face CHARACTER hide")) return;
    long long who;
    auto it = aliases_.find(t[1].text);
    if (t[1].kind == Token::Word && !isNumberWord(t[1].text) && it != aliases_.end()) {
      who = it->second;
      if (who > kFaceMax) {
        err("character " + std::to_string(who) + " has no face number (faces are 0..99)");
        return;
      }
    } else if (!num(t[1], 0, kFaceMax, who, "face character")) {
      return;
    }
    long long b = 0;
    if (t[2].kind == Token::Word && t[2].text == "hide") {
      b = 0;
    } else {
      long long e;
      if (!num(t[2], 0, kFaceMax, e, "face expression")) return;
      b = e + 1;
    }
    emit(make(kFace, {static_cast<uint8_t>(who), static_cast<uint8_t>(b)}));
  }

  void image(const Tokens& t) {
    if (!count(t, 1, 2, "image NAME [MODE] | image remove")) return;
    if (t.size() == 2 && t[1].kind == Token::Word && t[1].text == "remove") {
      emit(make(kImageRemove));
      return;
    }
    Bytes name;
    if (!wordOrString(t[1], name, "image name")) return;
    if (name.size() != 4) {
      err("image name '" + t[1].text + "' must have exactly 4 characters (xxxx.PF1)");
      return;
    }
    long long mode = 0;
    if (t.size() == 3) {
      mode = imageModeByName(t[2].text);
      if (mode < 0 && !num(t[2], 0, kImageModeMax, mode, "image mode")) return;
    }
    Bytes args{static_cast<uint8_t>(mode)};
    args.insert(args.end(), name.begin(), name.end());
    args.push_back(0);
    emit(make(kImage, args));
  }

  void oneByte(const Tokens& t, uint8_t op, long long def, long long hi, const char* usage) {
    if (!count(t, def < 0 ? 1 : 0, 1, usage)) return;
    long long v = def;
    if (t.size() == 2 && !num(t[1], 0, hi, v, t[0].text + " operand")) return;
    emit(make(op, {static_cast<uint8_t>(v)}));
  }

  void fade(const Tokens& t) {
    if (!count(t, 1, 1, "fade out|in|white|from-white")) return;
    long long f = fadeByName(t[1].text);
    if (f < 0 && !num(t[1], 0, kFadeMax, f, "fade")) return;
    emit(make(kFade, {static_cast<uint8_t>(f)}));
  }

  void raw(const Tokens& t) {
    Block* b = block();
    Bytes bytes;
    if (b && bytesItems(t, 1, bytes)) {
      b->marks.emplace_back(b->bytes.size(), line_);
      b->bytes.insert(b->bytes.end(), bytes.begin(), bytes.end());
    }
  }

  // ---- directives ----

  void character(const Tokens& t) {
    if (t.size() < 3 || t.size() > 4 || t.back().kind != Token::String) {
      err("usage: character NUMBER [ALIAS] \"Name\"");
      return;
    }
    Character c;
    c.line = line_;
    long long n;
    if (!num(t[1], 1, 254, n, "character number")) return;
    c.number = static_cast<int>(n);
    if (t.size() == 4) {
      if (t[2].kind != Token::Word || isNumberWord(t[2].text)) {
        err("character alias must be a word, not '" + t[2].text + "'");
        return;
      }
      c.alias = t[2].text;
    }
    if (!str(t.back(), c.name, "character name")) return;
    if (c.name.size() > kNameMax) {
      err("character name is " + std::to_string(c.name.size()) + " bytes; at most 49 fit");
      return;
    }
    if (readBackName(c.name) != c.name) {
      err("character name contains '】', which would end it early (the brackets are added for you)");
      return;
    }
    m_.characters.push_back(c);
  }

  void checkCharacters() {
    std::sort(m_.characters.begin(), m_.characters.end(),
              [](const Character& a, const Character& b) { return a.number < b.number; });
    for (size_t i = 0; i < m_.characters.size(); ++i) {
      const Character& c = m_.characters[i];
      if (c.number != static_cast<int>(i) + 1) {
        d_.error(c.line, "characters are numbered 1, 2, 3 ... without gaps or repeats; expected " +
                             std::to_string(i + 1) + ", found " + std::to_string(c.number));
        return;
      }
      if (!c.alias.empty() && !aliases_.emplace(c.alias, c.number).second)
        d_.error(c.line, "character alias '" + c.alias + "' is used twice");
    }
  }

  void ini(const Tokens& t) {
    static const std::set<std::string> keys = {"CHART", "LINK", "MAX", "ADDRESS", "START", "CHAR", "NAME"};
    long long v;
    if (!count(t, 2, 2, "ini KEY NUMBER")) return;
    if (!keys.count(t[1].text)) {
      err("ini sets one of CHART LINK MAX ADDRESS START CHAR NAME, not '" + t[1].text + "'");
      return;
    }
    if (!num(t[2], -2147483648LL, 4294967295LL, v, "value")) return;
    m_.ini[t[1].text] = v;
  }

  void start(const Tokens& t) {
    if (count(t, 1, 1, "start CHART")) m_.start = chartRef(t[1]);
  }

  void address(const Tokens& t) {
    long long v;
    if (count(t, 1, 1, "address NUMBER") && num(t[1], 0, 0xFFFFFFFFLL, v, "address"))
      m_.address = static_cast<uint32_t>(v);
  }

  void max(const Tokens& t) {
    long long v;
    if (count(t, 1, 1, "max NUMBER") && num(t[1], 0, 65536, v, "max")) {
      m_.max = v;
      m_.maxLine = line_;
    }
  }

  // A printable ASCII INI value that the INI reader gives back unchanged.
  bool iniValue(const Token& tok, std::string& out, size_t limit) {
    Bytes b;
    if (!wordOrString(tok, b, "value")) return false;
    out.assign(b.begin(), b.end());
    bool ok = !out.empty() && out.size() <= limit && out.front() != ' ' && out.back() != ' ' &&
              out.front() != '"' && out.front() != '\'';
    for (char c : out) ok = ok && c >= 0x20 && c < 0x7F;
    if (!ok)
      err("'" + tok.text + "' must be printable ASCII, 1.." + std::to_string(limit) +
          " bytes, without blanks or a quote at its ends");
    return ok;
  }

  void directory(const Tokens& t, int index) {
    if (!count(t, 1, 1, (t[0].text + " DIRECTORY").c_str())) return;
    std::string v;
    if (!iniValue(t[1], v, 1022)) return;
    std::replace(v.begin(), v.end(), '/', '\\');
    if (v.back() != '\\') v += '\\';
    m_.dirs[index] = Setting{v, line_};
  }

  void syspcm(const Tokens& t) {
    std::string v;
    if (count(t, 1, 1, "syspcm FILE") && iniValue(t[1], v, 255)) m_.syspcm = Setting{v, line_};
  }

  void intSetting(const Tokens& t, std::optional<long long>& slot) {
    long long v;
    if (count(t, 1, 1, (t[0].text + " NUMBER").c_str()) &&
        num(t[1], -2147483648LL, 2147483647LL, v, t[0].text))
      slot = v;
  }

  void entry(const Tokens& t) {
    if (t.size() != 4 || t[2].kind != Token::Equals) {
      err("usage: entry NUMBER = CHART-NAME | entry NUMBER = VALUE");
      return;
    }
    EntryOverride e;
    e.line = line_;
    if (!num(t[1], 0, 65535, e.chart, "chart number")) return;
    long long v;
    if (t[3].kind == Token::Word && parseNumber(t[3].text, v)) {
      if (!num(t[3], 0, 0xFFFFFFFFLL, v, "table value")) return;
      e.value = static_cast<uint32_t>(v);
    } else if (t[3].kind == Token::Word) {
      e.isRef = true;
      e.ref = chartRef(t[3]);
    } else {
      err("entry needs a chart name or a number");
      return;
    }
    m_.entries.push_back(e);
  }

  void linkrow(const Tokens& t) {
    if (t.size() < 4 || t.size() > 9 || t[2].kind != Token::Equals) {
      err("usage: linkrow ROW = V0 [V1 .. V5]");
      return;
    }
    LinkRowOverride r;
    r.line = line_;
    if (!num(t[1], 0, 65535, r.row, "row")) return;
    for (size_t i = 3; i < t.size(); ++i) {
      long long v;
      if (!num(t[i], 0, 0xFFFF, v, "link value")) return;
      r.values[i - 3] = static_cast<uint16_t>(v);
    }
    m_.linkRows.push_back(r);
  }

  void layout(const Tokens& t) {
    if (!count(t, 1, 1, "layout raw") || t[1].text != "raw") {
      if (t.size() == 2) err("usage: layout raw");
      return;
    }
    m_.layoutRaw = true;
    m_.layoutLine = line_;
  }

  void startup(const Tokens& t) {
    m_.hasStartup = true;
    bytesItems(t, 1, m_.startup);
  }

  void chart(const Tokens& t) {
    Block b;
    b.line = line_;
    size_t i = 1;
    if (i < t.size() && t[i].kind == Token::Word) {
      long long v;
      if (parseNumber(t[i].text, v)) {
        if (!num(t[i], 0, 65535, v, "chart number")) return;
        b.number = v;
      } else {
        b.name = t[i].text;
      }
      ++i;
    } else {
      err("usage: chart NAME [= NUMBER] [-> SUCCESSOR ...]");
      return;
    }
    if (i < t.size() && t[i].kind == Token::Equals) {
      if (b.number >= 0 || i + 1 >= t.size()) {
        err("usage: chart NAME = NUMBER");
        return;
      }
      if (!num(t[i + 1], 0, 65535, b.number, "chart number")) return;
      i += 2;
    }
    if (i < t.size()) {
      if (t[i].kind != Token::Arrow) {
        err("unexpected '" + t[i].text + "' after the chart name (successors follow '->')");
        return;
      }
      b.hasSucc = true;
      b.succLine = line_;
      if (!refs(t, i + 1, b.succ)) return;
    }
    m_.blocks.push_back(b);
    m_.pieces.push_back(Piece{Piece::BlockPiece, m_.blocks.size() - 1, line_});
  }

  void links(const Tokens& t) {
    Block* b = block();
    if (!b) return;
    if (!b->isChart) {
      err("a data block has no successors");
      return;
    }
    if (b->hasSucc) {
      err("successors of this chart are already declared");
      return;
    }
    b->hasSucc = true;
    b->succLine = line_;
    refs(t, 1, b->succ);
  }

  void data(const Tokens& t) {
    if (!count(t, 0, 0, "data")) return;
    Block b;
    b.isChart = false;
    b.line = line_;
    m_.blocks.push_back(b);
    m_.pieces.push_back(Piece{Piece::BlockPiece, m_.blocks.size() - 1, line_});
  }

  void table(const Tokens& t, Piece::Kind kind) {
    if (!count(t, 0, 0, t[0].text.c_str())) return;
    for (const auto& p : m_.pieces)
      if (p.kind == kind) {
        err(t[0].text + " is placed twice");
        return;
      }
    m_.pieces.push_back(Piece{kind, 0, line_});
  }

  void registerHandlers() {
    handlers_ = {
        {"speaker", [&](const Tokens& x) { speaker(x); }},
        {"text", [&](const Tokens& x) { text(x); }},
        {"say", [&](const Tokens& x) { say(x); }},
        {"jump", [&](const Tokens& x) { jump(x); }},
        {"branch", [&](const Tokens& x) { branch(x); }},
        {"choice", [&](const Tokens& x) { choice(x); }},
        {"window", [&](const Tokens& x) { window(x); }},
        {"voice", [&](const Tokens& x) { voice(x); }},
        {"nop", [&](const Tokens& x) { nop(x); }},
        {"nop89", [&](const Tokens& x) { nop(x); }},
        {"nop8a", [&](const Tokens& x) { nop(x); }},
        {"nop8b", [&](const Tokens& x) { nop(x); }},
        {"nop92", [&](const Tokens& x) { nop(x); }},
        {"face", [&](const Tokens& x) { face(x); }},
        {"image", [&](const Tokens& x) { image(x); }},
        {"shake", [&](const Tokens& x) { oneByte(x, kShake, 0, 1, "shake [0|1]"); }},
        {"fade", [&](const Tokens& x) { fade(x); }},
        {"flash", [&](const Tokens& x) { oneByte(x, kFlash, 0, 0, "flash"); }},
        {"wait", [&](const Tokens& x) { oneByte(x, kWait, -1, 255, "wait STEPS"); }},
        {"raw", [&](const Tokens& x) { raw(x); }},
        {"character", [&](const Tokens& x) { character(x); }},
        {"ini", [&](const Tokens& x) { ini(x); }},
        {"start", [&](const Tokens& x) { start(x); }},
        {"address", [&](const Tokens& x) { address(x); }},
        {"max", [&](const Tokens& x) { max(x); }},
        {"sysdir", [&](const Tokens& x) { directory(x, 0); }},
        {"pcmdir", [&](const Tokens& x) { directory(x, 1); }},
        {"rootdir", [&](const Tokens& x) { directory(x, 2); }},
        {"evdir", [&](const Tokens& x) { directory(x, 3); }},
        {"facedir", [&](const Tokens& x) { directory(x, 4); }},
        {"syspcm", [&](const Tokens& x) { syspcm(x); }},
        {"skip", [&](const Tokens& x) { intSetting(x, m_.skip); }},
        {"freq", [&](const Tokens& x) { intSetting(x, m_.freq); }},
        {"entry", [&](const Tokens& x) { entry(x); }},
        {"linkrow", [&](const Tokens& x) { linkrow(x); }},
        {"layout", [&](const Tokens& x) { layout(x); }},
        {"startup", [&](const Tokens& x) { startup(x); }},
        {"chart", [&](const Tokens& x) { chart(x); }},
        {"links", [&](const Tokens& x) { links(x); }},
        {"data", [&](const Tokens& x) { data(x); }},
        {"chart-table", [&](const Tokens& x) { table(x, Piece::ChartTable); }},
        {"link-table", [&](const Tokens& x) { table(x, Piece::LinkTable); }},
    };
  }

  void statement(const Tokens& t) {
    open_ = false;
    auto it = handlers_.find(t[0].text);
    if (it == handlers_.end()) {
      err("unknown instruction '" + t[0].text + "'");
      return;
    }
    it->second(t);
  }

  Model& m_;
  Diagnostics& d_;
  int line_ = 0;
  std::map<std::string, int> aliases_;
  std::map<std::string, std::function<void(const Tokens&)>> handlers_;
  // The message just written, while lines of strings may still extend it.
  bool open_ = false;
  Instr openMsg_;
  size_t openAt_ = 0;
};

}  // namespace

bool parseStory(const std::string& text, Model& model, Diagnostics& diag) {
  Parser(model, diag).run(text);
  return !diag.failed();
}

}  // namespace story
