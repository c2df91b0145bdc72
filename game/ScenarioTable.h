#pragma once
// A table of big-endian numbers inside the open scenario file (the chart
// table, the link table). A table that fits a small budget is read whole at
// load, as the file held it then; a larger one (a size in the INI that only
// a huge or hostile file can back) is read entry by entry when an entry is
// needed, so memory never grows with a number in the data.
#include <cstddef>
#include <cstdio>
#include <vector>

class ScenarioTable {
 public:
  // Tables up to this many bytes of the file are read whole.
  static constexpr long kWholeBytes = 1 << 20;

  // `count` entries of `width` bytes at `pos` of `fp` (`fileSize` long);
  // `adjust` is subtracted from every entry the file holds. Entries the file
  // does not hold completely read as -1. `fp` must outlive the table.
  void load(std::FILE* fp, long fileSize, long pos, long count, int width, long adjust = 0);

  size_t size() const { return static_cast<size_t>(count_); }
  bool empty() const { return count_ == 0; }
  long operator[](size_t i) const;
  long back() const { return (*this)[size() - 1]; }
  // Every entry (tools; large tables are read from the file).
  std::vector<long> entries() const;
  // True when the table was read whole at load.
  bool inMemory() const { return whole_; }

 private:
  long readEntry(size_t i) const;

  std::FILE* fp_ = nullptr;
  long fileSize_ = 0, pos_ = 0, count_ = 0, adjust_ = 0;
  int width_ = 4;
  bool whole_ = true;
  std::vector<long> values_;
};
