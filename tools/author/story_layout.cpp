// Settles chart numbers, link rows and file positions of a parsed story and
// renders EVENT.BIN, ASTARTUP.BIN and kirune.ini.
#include <algorithm>
#include <map>
#include <set>

#include "tools/author/story_compiler.h"
#include "tools/author/story_layout.h"

namespace story {
namespace {

using Row = std::array<uint16_t, 6>;

void put32(Bytes& b, size_t at, uint32_t v) {
  b[at] = v >> 24;
  b[at + 1] = v >> 16;
  b[at + 2] = v >> 8;
  b[at + 3] = v;
}

void put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = v >> 8;
  b[at + 1] = v & 0xFF;
}

std::string rowText(const Row& r) {
  std::string s;
  for (uint16_t v : r) s += (s.empty() ? "" : " ") + std::to_string(v);
  return s;
}

class Layout {
 public:
  Layout(Model& m, Diagnostics& d, StoryFiles& out) : m_(m), d_(d), out_(out) {}

  void run() {
    numberCharts();
    if (d_.failed()) return;
    settleMax();
    if (d_.failed()) return;
    buildRows();
    checkNeeds();
    placePieces();
    if (d_.failed()) return;
    fillEvent();
    if (d_.failed()) return;
    fillStartup();
    writeIni();
  }

 private:
  // Charts without a number take the one after the chart before them (the
  // first takes 1, so chart 0 stays free and row 0 belongs to chart 1 alone).
  void numberCharts() {
    std::set<long long> taken;
    for (auto& b : m_.blocks) {
      if (!b.isChart) continue;
      if (!b.name.empty()) {
        if (!names_.emplace(b.name, &b).second)
          d_.error(b.line, "chart '" + b.name + "' is defined twice");
      }
      if (b.number >= 0 && !taken.insert(b.number).second)
        d_.error(b.line, "chart number " + std::to_string(b.number) + " is used twice");
    }
    long long next = 1;
    for (auto& b : m_.blocks) {
      if (!b.isChart) continue;
      if (b.number < 0) {
        while (taken.count(next)) ++next;
        if (next > 0xFFFF) {
          d_.error(b.line, "no chart number left below 65536");
          return;
        }
        b.number = next;
        taken.insert(next);
      }
      next = b.number + 1;
      numbers_[b.number] = &b;
    }
  }

  void settleMax() {
    long long need = 0;
    for (const auto& kv : numbers_) need = std::max(need, kv.first + 1);
    for (const auto& e : m_.entries) need = std::max(need, e.chart + 1);
    for (const auto& r : m_.linkRows) need = std::max(need, r.row + 1);
    if (m_.max) {
      if (*m_.max < need)
        d_.error(m_.maxLine, "max " + std::to_string(*m_.max) + " is below " + std::to_string(need) +
                                 ", the number of chart entries used");
      max_ = *m_.max;
    } else {
      max_ = need;
    }
    for (const auto& e : m_.entries) {
      if (numbers_.count(e.chart))
        d_.error(e.line, "chart " + std::to_string(e.chart) + " already has its own block");
      else if (!entries_.emplace(e.chart, &e).second)
        d_.error(e.line, "entry " + std::to_string(e.chart) + " is set twice");
    }
    if (m_.layoutRaw) {
      for (const auto& b : m_.blocks)
        if (b.isChart) d_.error(b.line, "'layout raw' writes no tables, so it has no charts; use 'data'");
    }
  }

  // The chart number a reference stands for, or -1 after reporting it.
  long long resolve(const ChartRef& r) {
    if (!r.name.empty()) {
      auto it = names_.find(r.name);
      if (it == names_.end()) {
        d_.error(r.line, "unknown chart '" + r.name + "'");
        return -1;
      }
      return it->second->number;
    }
    auto e = entries_.find(r.number);
    if (numbers_.count(r.number) || (e != entries_.end() && e->second->isRef)) return r.number;
    d_.error(r.line, "chart " + std::to_string(r.number) + " is not defined");
    return -1;
  }

  // Row r holds the successors of chart r + 1; chart 0 uses row 0 as well.
  static long long rowOf(long long chart) { return chart == 0 ? 0 : chart - 1; }

  void declareRow(long long row, const Row& values, int count, int line, const std::string& who) {
    if (row >= max_) return;
    auto it = declared_.find(row);
    if (it != declared_.end()) {
      if (rows_[row] != values) {
        d_.error(line, who + " and " + it->second.who + " (line " + std::to_string(it->second.line) +
                           ") both fill link row " + std::to_string(row) + " differently (" +
                           rowText(values) + " / " + rowText(rows_[row]) +
                           "); charts 0 and 1 share row 0");
        return;
      }
      it->second.count = std::max(it->second.count, count);
      return;
    }
    rows_[row] = values;
    declared_[row] = Declared{count, line, who};
  }

  void buildRows() {
    rows_.assign(max_, Row{});
    for (const auto& b : m_.blocks) {
      if (!b.isChart || !b.hasSucc) continue;
      Row r{};
      bool ok = true;
      for (size_t k = 0; k < b.succ.size(); ++k) {
        long long n = resolve(b.succ[k]);
        ok = ok && n >= 0;
        if (n >= 0) r[k] = static_cast<uint16_t>(n);
      }
      if (!ok) unresolved_.insert(rowOf(b.number));
      if (ok)
        declareRow(rowOf(b.number), r, static_cast<int>(b.succ.size()), b.succLine,
                   "chart " + std::to_string(b.number));
    }
    for (const auto& lr : m_.linkRows)
      declareRow(lr.row, lr.values, 6, lr.line, "linkrow " + std::to_string(lr.row));
  }

  void checkNeeds() {
    for (const auto& b : m_.blocks) {
      if (!b.isChart || b.need == 0 || unresolved_.count(rowOf(b.number))) continue;
      auto it = declared_.find(rowOf(b.number));
      int have = it == declared_.end() ? 0 : it->second.count;
      if (have >= b.need) continue;
      std::string who = b.name.empty() ? std::to_string(b.number) : "'" + b.name + "'";
      if (b.need == 1)
        d_.error(b.needLine, "chart " + who + " jumps but declares no successor (write 'chart " +
                                 (b.name.empty() ? std::to_string(b.number) : b.name) + " -> NEXT')");
      else
        d_.error(b.needLine, "branch after a choice of " + std::to_string(b.need) + " answers needs " +
                                 std::to_string(b.need) + " successors; chart " + who + " declares " +
                                 std::to_string(have));
    }
  }

  void placePieces() {
    auto& p = m_.pieces;
    if (!m_.layoutRaw) {
      auto find = [&](Piece::Kind k) {
        for (size_t i = 0; i < p.size(); ++i)
          if (p[i].kind == k) return static_cast<long>(i);
        return -1L;
      };
      if (find(Piece::ChartTable) < 0) p.insert(p.begin(), Piece{Piece::ChartTable, 0, 0});
      if (find(Piece::LinkTable) < 0)
        p.insert(p.begin() + find(Piece::ChartTable) + 1, Piece{Piece::LinkTable, 0, 0});
    } else {
      for (const auto& piece : p)
        if (piece.kind != Piece::BlockPiece)
          d_.error(piece.line, "'layout raw' writes no tables; remove this line");
    }
    size_t at = 0;
    offsets_.clear();
    for (const auto& piece : p) {
      offsets_.push_back(at);
      if (piece.kind == Piece::ChartTable) {
        chartPos_ = at;
        at += 4 * max_;
      } else if (piece.kind == Piece::LinkTable) {
        linkPos_ = at;
        at += 12 * max_;
      } else {
        const Block& b = m_.blocks[piece.block];
        blockPos_[&b] = at;
        if (b.isChart && firstChart_ < 0) firstChart_ = static_cast<long long>(at);
        at += b.bytes.size();
      }
    }
    size_ = at;
    if (size_ > 0x7FFFFFFF) d_.error(1, "EVENT.BIN would exceed 2 GB");
  }

  void fillEvent() {
    Bytes& ev = out_.event;
    ev.assign(size_, 0);
    for (size_t i = 0; i < m_.pieces.size(); ++i) {
      const Piece& piece = m_.pieces[i];
      if (piece.kind != Piece::BlockPiece) continue;
      const Block& b = m_.blocks[piece.block];
      std::copy(b.bytes.begin(), b.bytes.end(), ev.begin() + offsets_[i]);
      out_.marks.push_back(SourceMark{offsets_[i], b.line});
      for (const auto& mark : b.marks) out_.marks.push_back(SourceMark{offsets_[i] + mark.first, mark.second});
      if (b.isChart) out_.charts[b.number] = ChartSource{b.name, b.line};
    }
    std::stable_sort(out_.marks.begin(), out_.marks.end(),
                     [](const SourceMark& a, const SourceMark& b) { return a.offset < b.offset; });
    if (m_.layoutRaw) return;
    // Unused chart numbers point at the first chart's stream (or the end of
    // the file when there is none): a branch there replays the story's first
    // chart instead of running table bytes as instructions.
    uint32_t unused = static_cast<uint32_t>(firstChart_ >= 0 ? firstChart_ : size_) + m_.address;
    for (long long c = 0; c < max_; ++c) {
      uint32_t v = unused;
      auto n = numbers_.find(c);
      auto e = entries_.find(c);
      if (n != numbers_.end()) {
        v = static_cast<uint32_t>(blockPos_[n->second]) + m_.address;
      } else if (e != entries_.end()) {
        if (e->second->isRef) {
          long long target = resolve(e->second->ref);
          if (target < 0) continue;
          auto tb = numbers_.find(target);
          if (tb == numbers_.end()) {
            d_.error(e->second->line, "an entry must name a chart with its own block");
            continue;
          }
          v = static_cast<uint32_t>(blockPos_[tb->second]) + m_.address;
        } else {
          v = e->second->value;
        }
      }
      put32(ev, chartPos_ + 4 * c, v);
    }
    for (long long r = 0; r < max_; ++r)
      for (int k = 0; k < 6; ++k) put16(ev, linkPos_ + 12 * r + 2 * k, rows_[r][k]);
  }

  void fillStartup() {
    if (m_.hasStartup) {
      out_.startup = m_.startup;
      return;
    }
    out_.startup = startupBytes(m_.characters);
  }

  long long startChart() {
    if (m_.start) return resolve(*m_.start);
    for (const auto& b : m_.blocks)
      if (b.isChart) return b.number;
    return 0;
  }

  void writeIni() {
    std::string& s = out_.ini;
    s = "[DOROVANKA]\r\n";
    auto line = [&](const std::string& k, const std::string& v) { s += k + "=" + v + "\r\n"; };
    for (int i = 0; i < 5; ++i)
      if (m_.dirs[i]) line(kDirKeys[i], m_.dirs[i]->value);
    out_.rootDir = m_.dirs[2] ? m_.dirs[2]->value : "";
    if (m_.syspcm) line("SYSPCM", m_.syspcm->value);
    if (m_.skip) line("SKIP", std::to_string(*m_.skip));
    if (m_.freq) line("FREQ", std::to_string(*m_.freq));
    long long start = startChart();
    std::pair<const char*, long long> keys[] = {
        {"CHART", m_.layoutRaw ? 0 : chartPos_}, {"LINK", m_.layoutRaw ? 0 : linkPos_},
        {"MAX", m_.layoutRaw ? 0 : max_},        {"ADDRESS", m_.address},
        {"START", start < 0 ? 0 : start},        {"CHAR", static_cast<long long>(m_.characters.size())},
        {"NAME", 0}};
    for (const auto& kv : keys) {
      auto o = m_.ini.find(kv.first);
      line(kv.first, std::to_string(o != m_.ini.end() ? o->second : kv.second));
    }
  }

  struct Declared {
    int count = 0;
    int line = 0;
    std::string who;
  };

  Model& m_;
  Diagnostics& d_;
  StoryFiles& out_;
  std::map<std::string, Block*> names_;
  std::map<long long, Block*> numbers_;
  std::map<long long, const EntryOverride*> entries_;
  std::map<long long, Declared> declared_;
  std::set<long long> unresolved_;  // rows whose successors named unknown charts
  std::map<const Block*, size_t> blockPos_;
  std::vector<Row> rows_;
  std::vector<size_t> offsets_;
  long long max_ = 0;
  size_t chartPos_ = 0, linkPos_ = 0, size_ = 0;
  long long firstChart_ = -1;
};

}  // namespace

Bytes startupBytes(const std::vector<Character>& characters) {
  Bytes b;
  for (const auto& c : characters) {
    b.insert(b.end(), {0x81, 0x79});
    b.insert(b.end(), c.name.begin(), c.name.end());
    b.insert(b.end(), {0x81, 0x7A, '\r', '\n'});
  }
  return b;
}

void layoutStory(Model& model, Diagnostics& diag, StoryFiles& out) { Layout(model, diag, out).run(); }

}  // namespace story
