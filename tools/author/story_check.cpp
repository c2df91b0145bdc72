#include "tools/author/story_check.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "game/Face.h"
#include "graphics/Font.h"
#include "graphics/Pf1.h"
#include "graphics/graphicDevice.h"
#include "shell/FileUtils.h"
#include "sound/Sound.h"
#include "tools/author/font_builder.h"
#include "tools/author/story_data.h"
#include "tools/author/story_walk.h"

namespace story {

int CheckReport::errors() const {
  return static_cast<int>(std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return f.error; }));
}

int CheckReport::warnings() const { return static_cast<int>(findings.size()) - errors(); }

namespace {

constexpr int kScreenW = 320;
constexpr int kFaceBlocks = 7;
constexpr int kTextX = 16;
constexpr int kTextVisibleRight = 306;  // last column the open window shows text in
constexpr int kTextTop = 169;           // line 0; each line 16 rows below the previous
constexpr int kChoiceTop = 131, kChoiceBottom = 188;
constexpr int kFaceRow = 121;
const int kSystemClips[] = {1, 2, 11};

std::string hex(long v) {
  char b[32];
  std::snprintf(b, sizeof b, "0x%lX", v);
  return b;
}

std::string hexByte(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "0x%02X", v & 0xFF);
  return b;
}

std::string text(const Bytes& b) { return std::string(b.begin(), b.end()); }

// Pixel width of a Shift-JIS string as the font draws it.
int pixelWidth(const Bytes& s) {
  int w = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] >= 0x80) {
      w += 16;
      ++i;
    } else {
      w += 8;
    }
  }
  return w;
}

// What a data file holds, decoded by the player's own classes.
struct FileInfo {
  bool found = false;
  std::string problem;  // empty when it decodes
  int width = 0, height = 0, blocks = 0;
  int clips = 0;
};

// The text window, faces and voice as they stand at a point of the story.
struct Scene {
  bool window = false;
  Bytes lines[3];
  int line = 0;
  bool face = false;
  std::string faceName;
  int faceSite = 1;
  int oldFace = -1;
  std::string bank;  // current voice bank, "" for none
  int voiceNum = 0;
};

class Checker {
 public:
  Checker(CheckReport& r, const std::string& userDir) : r_(r), userDir_(userDir) {}

  void run() {
    data_ = readStoryData();
    checkScenarioFiles();
    if (!data_.eventFound) return;
    walk_ = walkStory(data_);
    loadFont();
    checkSystemFiles();
    checkStart();
    checkNames();
    checkCharts();
    checkReach();
  }

 private:
  // ---------------------------------------------------------------- reporting
  void add(bool error, const std::string& kind, long chart, long offset, const std::string& file,
           const std::string& message, const std::string& hint = "") {
    if (!reported_.insert(kind + "|" + std::to_string(offset) + "|" + file + "|" + message).second) return;
    Finding f;
    f.error = error;
    f.kind = kind;
    f.chart = chart;
    f.offset = offset;
    f.file = file;
    f.message = message;
    f.hint = hint;
    r_.findings.push_back(f);
  }

  // ---------------------------------------------------------------- files
  std::string folder(int type) const {
    std::string dir = hostPath(data_.dirs[type], "");
    return dir.empty() ? "the data directory" : "'" + dir + "'";
  }

  std::string where(int type, const std::string& name) const {
    return name + " in " + folder(type) + " (" + kDirKeyNames[type] + ")";
  }

  // A data file as a path from the current folder, for a command to copy.
  std::string here(int type, const std::string& name) const {
    return pathFromHere(userDir_, hostPath(data_.dirs[type], name));
  }

  bool readFile(int type, const std::string& name, std::vector<unsigned char>& out) {
    FILE* f = myFopen(type, name.c_str(), "rb");
    if (!f) return false;
    out.clear();
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return true;
  }

  const FileInfo& picture(int type, const std::string& name) {
    auto key = std::to_string(type) + name;
    auto it = files_.find(key);
    if (it != files_.end()) return it->second;
    FileInfo& info = files_[key];
    std::vector<unsigned char> bytes;
    if (!readFile(type, name, bytes)) return info;
    info.found = true;
    Pf1Layout layout;
    if (!parsePf1Layout(bytes.data(), bytes.size(), layout)) {
      info.problem = "is too short for a PF1 header";
      return info;
    }
    info.blocks = layout.num;
    bool cut = !layout.tableComplete;
    for (size_t i = 0; i < layout.size.size(); ++i) cut = cut || layout.size[i] < layout.declared[i];
    Pf1 pic(0, nullptr);
    pic.loadFromMemory(bytes.data(), bytes.size());
    if (pic.empty())
      info.problem = "does not decode (its header gives " + std::to_string(layout.width) + " x " +
                     std::to_string(layout.height) + " pixels in " + std::to_string(layout.num) + " blocks)";
    else if (cut)
      info.problem = "is damaged: its blocks run past the end of the file";
    info.width = pic.width;
    info.height = pic.height;
    return info;
  }

  const FileInfo& bank(const std::string& name) {
    auto key = "bank" + name;
    auto it = files_.find(key);
    if (it != files_.end()) return it->second;
    FileInfo& info = files_[key];
    FILE* f = myFopen(0, name.c_str(), "rb");
    if (!f) f = myFopen(1, name.c_str(), "rb");
    if (!f) return info;
    std::fclose(f);
    info.found = true;
    Sound s(1, name.c_str(), 0);
    info.clips = s.numMax;
    if (s.numMax == 0) info.problem = "does not parse as a sound bank (its clip table does not fit the file)";
    return info;
  }

  std::string bankWhere(const std::string& name) const {
    if (data_.dirs[0] == data_.dirs[1]) return where(0, name);
    return name + " in " + folder(0) + " (SYSDIR) or " + folder(1) + " (PCMDIR)";
  }

  void checkScenarioFiles() {
    if (!data_.eventFound)
      add(true, "missing-file", -1, -1, "EVENT.BIN", "EVENT.BIN is missing: " + where(2, "EVENT.BIN"),
          "build the story with 'lmtool story build SCRIPT " + pathFromHere(userDir_, "") + "'");
    if (!data_.startupFound)
      add(true, "missing-file", -1, -1, "ASTARTUP.BIN",
          "ASTARTUP.BIN is missing (" + where(2, "ASTARTUP.BIN") + "): the story does not start",
          "build the story with 'lmtool story build SCRIPT " + pathFromHere(userDir_, "") + "'");
  }

  void checkPicture(long chart, long offset, int type, const std::string& name, int w, int h,
                    const std::string& use) {
    const FileInfo& info = picture(type, name);
    std::string file = offset < 0 ? name : "";
    if (!info.found) {
      add(true, "missing-file", chart, offset, file, use + " " + where(type, name) + " is missing",
          "make it with 'lmtool pf1 encode " + here(type, name) + " PICTURE.png'");
    } else if (!info.problem.empty()) {
      add(true, "bad-file", chart, offset, file, use + " " + name + " " + info.problem,
          "encode it again with 'lmtool pf1 encode'");
    } else if (info.width != w || info.height != h) {
      add(false, "picture-size", chart, offset, file,
          use + " " + name + " is " + std::to_string(info.width) + " x " + std::to_string(info.height) +
              "; it is shown as " + std::to_string(w) + " x " + std::to_string(h),
          h == 480 ? "a panning picture is two 320 x 240 blocks: 'lmtool pf1 encode OUT.PF1 UPPER.png LOWER.png'"
                   : "draw it at 320 x 240");
    }
  }

  void checkSystemFiles() {
    if (data_.skip == 0) {
      const char* pics[] = {"LOGO01.PF1", "LOGO02.PF1", "TITLE00.PF1", "SYS011.PF1", "SYS020.PF1"};
      for (const char* p : pics) checkPicture(-1, -1, 0, p, 320, 240, "the screen picture");
    }
    const FileInfo& info = bank(data_.syspcm);
    if (!info.found) {
      add(true, "missing-file", -1, -1, data_.syspcm, "the system sound bank " + bankWhere(data_.syspcm) + " is missing",
          "pack it with 'lmtool bank pack " + here(0, data_.syspcm) + " --rate 11025 CLIP0.wav ... CLIP11.wav'");
    } else if (!info.problem.empty()) {
      add(true, "bad-file", -1, -1, data_.syspcm, "the system sound bank " + data_.syspcm + " " + info.problem,
          "pack it again with 'lmtool bank pack'");
    } else {
      for (int clip : kSystemClips)
        if (clip >= info.clips) {
          add(true, "bank-clips", -1, -1, data_.syspcm,
              "the system sound bank " + data_.syspcm + " has " + std::to_string(info.clips) +
                  " clips; the player plays clips 1 (decide), 2 (cursor) and 11 (a choice opens)",
              "pack at least 12 clips (0 to 11); unused ones may be short silence");
          break;
        }
    }
  }

  // ---------------------------------------------------------------- font
  void loadFont() {
    std::vector<unsigned char> bytes;
    if (!readFile(0, "FONT.FON", bytes)) {
      add(true, "missing-file", -1, -1, "FONT.FON", "the font " + where(0, "FONT.FON") + " is missing: no text shows",
          "make it with 'lmtool font build " + here(0, "FONT.FON") + "'");
      return;
    }
    if (bytes.size() < author::kFontFileBytes)
      add(true, "bad-file", -1, -1, "FONT.FON",
          "the font FONT.FON is " + std::to_string(bytes.size()) + " bytes, not " +
              std::to_string(author::kFontFileBytes) + ": the glyphs it lacks are blank",
          "make it again with 'lmtool font build'");
    Font::unload();
    font_ = std::make_unique<Font>();
    font_->left = -1;
    font_->right = kScreenW;
    zeg_ = std::make_unique<ZegDevice>(kScreenW, 240, 24);
  }

  // True when the font draws `code` as nothing.
  bool blankGlyph(int code) {
    auto it = blank_.find(code);
    if (it != blank_.end()) return it->second;
    unsigned char* top = zeg_->videoMemory;
    for (int y = 0; y < 16; ++y) std::fill_n(top + static_cast<long>(y) * zeg_->bytesPerLine, 16 * 3, 0);
    font_->putc(zeg_.get(), 0, 0, code, 128);
    bool blank = true;
    for (int y = 0; y < 16 && blank; ++y)
      for (int x = 0; x < 16 * 3; ++x)
        if (top[static_cast<long>(y) * zeg_->bytesPerLine + x]) {
          blank = false;
          break;
        }
    blank_[code] = blank;
    return blank;
  }

  // Glyph codes of a string as the player draws it; messages skip their \n and \c.
  void checkGlyphs(long chart, long offset, const Bytes& s, bool message, const std::string& what) {
    if (!font_) return;
    std::vector<std::string> missing;
    for (size_t i = 0; i < s.size(); ++i) {
      int code = s[i];
      if (s[i] >= 0x80 && i + 1 < s.size()) {
        code = s[i] << 8 | s[i + 1];
        ++i;
      } else if (message && s[i] == 0x5C && i + 1 < s.size()) {
        if (s[i + 1] == 'n' || s[i + 1] == 'c') {
          ++i;
          continue;
        }
      }
      if (code == 0x20 || code == 0x8140 || !blankGlyph(code)) continue;
      Bytes one;
      if (code >= 0x100) one = {static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)};
      else one = {static_cast<uint8_t>(code)};
      std::string shown = "'" + toUtf8(one) + "' (" + (code >= 0x100 ? hex(code) : hexByte(code)) + ")";
      if (std::find(missing.begin(), missing.end(), shown) == missing.end()) missing.push_back(shown);
    }
    if (missing.empty()) return;
    std::string list;
    for (const auto& m : missing) list += (list.empty() ? "" : ", ") + m;
    add(false, "blank-glyph", chart, offset, "",
        what + " has " + (missing.size() == 1 ? "a character" : "characters") + " that FONT.FON draws as nothing: " +
            list,
        "use another character (FONT.FON has JIS X 0208 only: no circled numbers or vendor kanji)");
  }

  void checkNames() {
    for (size_t i = 0; i < data_.names.size(); ++i)
      checkGlyphs(-1, -1, data_.names[i], false, "the name of character " + std::to_string(i + 1));
  }

  // ---------------------------------------------------------------- charts
  void checkStart() {
    if (data_.chartOffset(data_.start) < 0)
      add(true, "bad-start", data_.start, -1, "kirune.ini",
          "START is chart " + std::to_string(data_.start) + ", which has no stream in EVENT.BIN (the chart table has " +
              std::to_string(data_.chartTable.size()) + " usable entries)",
          "name an existing chart with 'start CHART'");
  }

  void checkCharts() {
    // Reached charts in the order they were reached, each with the scene its
    // first predecessor left; then the charts nothing reaches.
    std::map<long, Scene> exits;
    std::set<long> done;
    for (long c : walk_.order) {
      Scene s;
      auto p = walk_.parent.find(c);
      if (p != walk_.parent.end() && exits.count(p->second)) s = exits[p->second];
      long off = data_.chartOffset(c);
      if (off < 0) continue;
      exits[c] = runChart(c, off, s);
      done.insert(off);
    }
    for (const auto& [off, charts] : walk_.byOffset)
      if (!done.count(off)) runChart(charts.front(), off, Scene{});
    for (const WalkEdge& e : walk_.edges)
      if (e.to < 0) {
        long row = e.from != 0 ? e.from - 1 : 0;
        const ChartPath& path = walk_.paths[data_.chartOffset(e.from)];
        add(true, "bad-link", e.from, static_cast<long>(path.endOffset), "",
            "chart " + std::to_string(e.from) + " branches through column " + std::to_string(e.column) +
                " of link row " + std::to_string(row) + ", which " +
                (static_cast<size_t>(row) * 6 + 6 > data_.linkTable.size() ? "the link table does not have"
                                                                             : "lies outside EVENT.BIN"),
            "declare the successors with 'chart NAME -> NEXT ...'");
    }
    for (long c : walk_.reached)
      if (data_.chartOffset(c) < 0) {
        auto p = walk_.parent.find(c);
        add(true, "bad-link", c, -1, "EVENT.BIN",
            "chart " + std::to_string(c) + (p != walk_.parent.end() ? ", a successor of chart " + std::to_string(p->second) : "") +
                ", has no stream in EVENT.BIN (outside the chart table or past the end of the file)",
            "declare that chart, or name an existing one as the successor");
      }
  }

  Scene runChart(long chart, long off, Scene s) {
    const ChartPath& path = walk_.paths[off];
    for (const PathStep& step : path.steps) instruction(chart, step, s);
    long at = static_cast<long>(path.endOffset);
    if (path.end == PathEnd::BadByte) {
      if (isChartErrorByte(path.byte))
        add(true, "chart-error", chart, at, "",
            "byte " + hexByte(path.byte) + " is no instruction: the player stops with CHART ERROR " + hexByte(path.byte),
            "remove the raw byte, or end the chart with 'jump' or 'branch'");
      else
        add(true, "not-an-instruction", chart, at, "",
            "byte " + hexByte(path.byte) + " is no instruction (the player runs it as an internal state)",
            "remove the raw byte");
    } else if (path.end == PathEnd::CutOff) {
      add(true, "cut-off", chart, at, "",
          "the instruction " + hexByte(path.byte) + " runs past the end of EVENT.BIN: the story stops inside it");
    }
    return s;
  }

  void instruction(long chart, const PathStep& step, Scene& s) {
    const Instr& in = step.in;
    long at = static_cast<long>(step.offset);
    std::string bad = checkInstr(in, static_cast<int>(data_.names.size()));
    if (!bad.empty()) add(true, "bad-operand", chart, at, "", bad);
    switch (in.op) {
      case kSpeaker: {
        Bytes name;
        if (in.args[0] == kInlineSpeaker) {
          name = in.strings[0];
          checkGlyphs(chart, at, name, false, "the speaker name");
        } else if (in.args[0] >= 1 && static_cast<size_t>(in.args[0]) <= data_.names.size()) {
          name = data_.names[in.args[0] - 1];
        }
        checkGlyphs(chart, at, {0x81, 0x79, 0x81, 0x7A}, false, "the name brackets");
        s.window = true;
        clearText(s);
        Bytes line{0x81, 0x79};
        line.insert(line.end(), name.begin(), name.end());
        line.insert(line.end(), {0x81, 0x7A});
        for (uint8_t b : line) print(s, b);
        nextLine(s);
        break;
      }
      case kMessage:
        checkGlyphs(chart, at, in.strings[0], true, "the message");
        typeMessage(chart, at, in.strings[0], s);
        break;
      case kChoice:
        checkChoice(chart, at, in, s);
        break;
      case kWindowOpen:
        s.window = true;
        clearText(s);
        break;
      case kWindowClose:
        s.window = false;
        clearText(s);
        break;
      case kVoiceBank: {
        s.bank = "KI" + text(Bytes(in.args.begin(), in.args.begin() + 3)) + ".PCM";
        s.voiceNum = 0;
        const FileInfo& info = bank(s.bank);
        if (!info.found)
          add(true, "missing-file", chart, at, "", "the voice bank " + bankWhere(s.bank) + " is missing",
              "pack it with 'lmtool bank pack " + here(1, s.bank) + " --rate FREQ CLIP0.wav ...'");
        else if (!info.problem.empty())
          add(true, "bad-file", chart, at, "", "the voice bank " + s.bank + " " + info.problem);
        playVoice(chart, at, s);
        break;
      }
      case kVoiceNext:
      case kVoiceNext5:
        playVoice(chart, at, s);
        break;
      case kFace: {
        int a = in.args[0], b = in.args[1];
        if (a != s.oldFace) s.faceSite ^= 1;
        s.oldFace = a;
        s.face = false;
        if (b == 0 || a > 99 || b > 100) break;
        char name[16];
        std::snprintf(name, sizeof name, "FACE%02d%02d.PF1", a, b - 1);
        s.face = true;
        s.faceName = name;
        checkFace(chart, at, name);
        break;
      }
      case kImage: {
        int mode = in.args[0];
        if (mode > kImageModeMax) break;
        std::string name = text(Bytes(in.args.begin() + 1, in.args.begin() + 5)) + ".PF1";
        bool pan = mode == 6 || mode == 7;
        checkPicture(chart, at, 3, name, 320, pan ? 480 : 240,
                     pan ? std::string("the panning picture") : std::string("the picture"));
        break;
      }
      default:
        break;
    }
  }

  void checkFace(long chart, long at, const std::string& name) {
    const FileInfo& info = picture(4, name);
    if (!info.found) {
      add(true, "missing-file", chart, at, "", "the face " + where(4, name) + " is missing",
          "make it from seven layers: 'lmtool pf1 encode " + here(4, name) +
              " base.png mouth0.png mouth1.png mouth2.png eyes0.png eyes1.png eyes2.png'");
    } else if (!info.problem.empty()) {
      add(true, "bad-file", chart, at, "", "the face " + name + " " + info.problem);
    } else if (info.blocks != kFaceBlocks) {
      add(true, "bad-file", chart, at, "",
          "the face " + name + " has " + std::to_string(info.blocks) +
              " layers; a face has seven (base, three mouths, three eyes)",
          "encode all seven layers into one file");
    }
  }

  void playVoice(long chart, long at, Scene& s) {
    if (s.bank.empty()) return;
    int clip = s.voiceNum++;
    const FileInfo& info = bank(s.bank);
    if (info.found && info.problem.empty() && clip >= info.clips)
      add(false, "voice-clip", chart, at, "",
          "this plays clip " + std::to_string(clip) + " of " + s.bank + ", which has " +
              std::to_string(info.clips) + (info.clips == 1 ? " clip" : " clips") + ": nothing is heard",
          "add the clip to the bank, or start the next bank with 'voice NAME'");
  }

  // ---------------------------------------------------------------- the text window
  static void clearText(Scene& s) {
    for (auto& l : s.lines) l.clear();
    s.line = 0;
  }

  static void print(Scene& s, uint8_t b) {
    if (s.lines[s.line].size() < 255) s.lines[s.line].push_back(b);
  }

  static void nextLine(Scene& s) {
    if (s.line < 2) {
      ++s.line;
      return;
    }
    s.lines[0] = s.lines[1];
    s.lines[1] = s.lines[2];
    s.lines[2].clear();
  }

  void typeMessage(long chart, long at, const Bytes& m, Scene& s) {
    s.window = true;
    int widest = 0;
    auto measure = [&] { widest = std::max(widest, pixelWidth(s.lines[s.line])); };
    for (size_t i = 0; i < m.size(); ++i) {
      uint8_t c = m[i];
      if ((c > 0x80 || c == 0x5C) && i + 1 < m.size()) {
        uint8_t d = m[++i];
        if (c == 0x5C && d == 'n') {
          measure();
          nextLine(s);
        } else if (c == 0x5C && d == 'c') {
          measure();
          clearText(s);
        } else {
          print(s, c);
          print(s, d);
        }
      } else {
        print(s, c);
      }
    }
    measure();
    if (kTextX + widest - 1 > kTextVisibleRight)
      add(false, "wide-line", chart, at, "",
          "a text line grows to " + std::to_string(widest / 8) + " bytes; the window shows " +
              std::to_string((kTextVisibleRight - kTextX + 1) / 8) + " (18 full-width characters) and cuts the rest",
          "break the line with \\n");
  }

  void checkChoice(long chart, long at, const Instr& in, const Scene& s) {
    std::vector<int> widths;
    for (const Bytes& item : in.strings) {
      widths.push_back(pixelWidth(item));
      checkGlyphs(chart, at, item, false, "the choice");
    }
    if (widths.empty()) return;
    const int w = static_cast<int>(4 * in.strings[0].size() + 2);
    const int left = 160 - w - 3, right = 160 + w + 2;  // the panel and its frame
    for (size_t k = 1; k < widths.size(); ++k)
      if (widths[k] > widths[0]) {
        add(false, "narrow-choice", chart, at, "",
            "answer " + std::to_string(k + 1) + " (\"" + toUtf8(in.strings[k]) +
                "\") is wider than the first answer, which sets the window's width: its end is cut off",
            "make the first answer the longest (pad it with spaces)");
        break;
      }
    if (left < 0 || right >= kScreenW)
      add(false, "wide-choice", chart, at, "",
          "the choice window is wider than the screen (the first answer is " + std::to_string(in.strings[0].size()) +
              " bytes)",
          "shorten the first answer to at most 36 bytes");
    if (s.window)
      for (int l = 0; l < 2; ++l) {
        int width = pixelWidth(s.lines[l]);
        int top = kTextTop + 16 * l;
        if (width == 0 || top > kChoiceBottom) continue;
        int end = std::min(kTextX + width - 1, kTextVisibleRight);
        if (end >= left && kTextX <= right) {
          add(false, "choice-covers-text", chart, at, "",
              "the choice window covers text line " + std::to_string(l + 1) + " (\"" + toUtf8(s.lines[l]) + "\")",
              "put the question on the window's third line (start it with \\c\\n\\n), or close the window first");
          break;
        }
      }
    if (s.face) {
      const FileInfo& f = picture(4, s.faceName);
      if (f.found && f.problem.empty()) {
        int cx = s.faceSite == 0 ? 37 : 285;
        int fl = cx - f.width / 2, fr = fl + f.width - 1;
        int ft = kFaceRow - f.height / 2, fb = ft + f.height - 1;
        if (fr >= left && fl <= right && fb >= kChoiceTop && ft <= kChoiceBottom)
          add(false, "choice-covers-face", chart, at, "",
              "the choice window covers part of the face " + s.faceName + " (columns " + std::to_string(fl) + " to " +
                  std::to_string(fr) + ")",
              "shorten the answers, or hide the face before the choice");
      }
    }
  }

  // ---------------------------------------------------------------- reach
  void checkReach() {
    for (const auto& [off, charts] : walk_.byOffset) {
      bool reached = false;
      for (long c : charts) reached = reached || walk_.reached.count(c);
      if (reached) continue;
      add(false, "unreached", charts.front(), off, "",
          "chart " + std::to_string(charts.front()) + " is never reached from START (chart " +
              std::to_string(data_.start) + ")",
          "name it as a successor of a chart that is played, or remove it");
      r_.findings.back().wholeChart = true;
    }
  }

  CheckReport& r_;
  std::string userDir_;  // the data folder as the user named it, for commands to copy
  StoryData data_;
  Walk walk_;
  std::map<std::string, FileInfo> files_;
  std::map<int, bool> blank_;
  std::unique_ptr<Font> font_;
  std::unique_ptr<ZegDevice> zeg_;
  std::set<std::string> reported_;
};

}  // namespace

CheckReport checkStory(const std::string& dir) {
  CheckReport report;
  InDataDir in(dir);
  if (!in.ok()) {
    Finding f;
    f.error = true;
    f.kind = "no-story";
    f.file = dir;
    f.message = in.error();
    f.hint = "build a story into it with 'lmtool story build SCRIPT " + dir + "'";
    report.findings.push_back(f);
    return report;
  }
  Checker(report, dir).run();
  return report;
}

bool scriptMatches(const StoryFiles& files, const std::string& dir) {
  InDataDir in(dir);
  return in.ok() && readStoryData().event == files.event;
}

std::string formatFinding(const Finding& f, const StoryFiles* source) {
  std::string where;
  int line = source && f.offset >= 0 ? sourceLine(*source, static_cast<size_t>(f.offset)) : 0;
  if (source && f.wholeChart && source->charts.count(f.chart)) line = source->charts.at(f.chart).line;
  if (line > 0) {
    where = source->source + ":" + std::to_string(line);
  } else if (f.offset >= 0) {
    where = (f.chart >= 0 ? "chart " + std::to_string(f.chart) + ", " : std::string()) + "EVENT.BIN offset " + hex(f.offset);
  } else if (f.chart >= 0 && f.file.empty()) {
    where = "chart " + std::to_string(f.chart);
  } else {
    where = f.file;
  }
  std::string out = where + ": " + (f.error ? "error: " : "warning: ") + f.message;
  if (!f.hint.empty()) out += "\n    " + f.hint;
  return out;
}

}  // namespace story
