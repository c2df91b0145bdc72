#pragma once
// A parsed story script, before chart numbers and file positions are settled.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/author/story_text.h"

namespace story {

// A chart named by its name, or by its number when `name` is empty.
struct ChartRef {
  std::string name;
  long long number = -1;
  int line = 0;
};

// A run of stream bytes: a chart (numbered) or anonymous data.
struct Block {
  bool isChart = true;
  std::string name;
  long long number = -1;  // explicit number, or assigned later
  int line = 0;
  bool hasSucc = false;
  std::vector<ChartRef> succ;
  int succLine = 0;
  Bytes bytes;
  std::vector<std::pair<size_t, int>> marks;  // (offset in bytes, script line) of each statement
  int need = 0;  // link columns its jumps and branches use
  int needLine = 0;
  int lastChoice = 0;  // answers of the latest choice, while parsing
};

// What lies in EVENT.BIN, in file order.
struct Piece {
  enum Kind { ChartTable, LinkTable, BlockPiece };
  Kind kind = BlockPiece;
  size_t block = 0;
  int line = 0;
};

struct Character {
  int number = 0;
  std::string alias;
  Bytes name;
  int line = 0;
};

struct EntryOverride {
  long long chart = 0;
  bool isRef = false;
  ChartRef ref;
  uint32_t value = 0;
  int line = 0;
};

struct LinkRowOverride {
  long long row = 0;
  std::array<uint16_t, 6> values{};
  int line = 0;
};

struct Setting {
  std::string value;
  int line = 0;
};

// The INI keys in the order the compiler writes them.
extern const char* const kDirKeys[5];

struct Model {
  std::vector<Character> characters;
  std::optional<ChartRef> start;
  uint32_t address = 0;
  std::optional<long long> max;
  int maxLine = 0;
  std::optional<Setting> dirs[5];  // SYSDIR, PCMDIR, ROOTDIR, EVDIR, FACEDIR
  std::optional<Setting> syspcm;
  std::optional<long long> skip, freq;
  std::map<std::string, long long> ini;  // verbatim values of the table keys
  std::vector<EntryOverride> entries;
  std::vector<LinkRowOverride> linkRows;
  bool layoutRaw = false;
  int layoutLine = 0;
  bool hasStartup = false;
  Bytes startup;
  std::vector<Block> blocks;
  std::vector<Piece> pieces;
};

// Collects "source:line: message" errors, keeping the first few.
class Diagnostics {
 public:
  explicit Diagnostics(std::string source) : source_(std::move(source)) {}
  void error(int line, const std::string& message);
  void warning(int line, const std::string& message);
  bool failed() const { return !errors_.empty(); }
  bool full() const { return errors_.size() >= kMaxErrors; }
  std::string errorText() const;
  const std::vector<std::string>& warnings() const { return warnings_; }

 private:
  static constexpr size_t kMaxErrors = 20;
  std::string source_;
  std::vector<std::string> errors_;
  std::vector<std::string> warnings_;
};

// Parses the script text into `model`; false when there were errors.
bool parseStory(const std::string& text, Model& model, Diagnostics& diag);

}  // namespace story
