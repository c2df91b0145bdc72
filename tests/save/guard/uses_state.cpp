// Walks a StorySnapshot through its one description; compiled (not run) by
// compile_state.cmake against the real headers and against copies with a
// member added that the description does not handle.
#include <cstdint>
#include <string>

#include "save/StoryState.h"

struct Count {
  int n = 0;
  template <class T>
  void number(T&, long, long) { ++n; }
  void wide(long&, long, long) { ++n; }
  void word(uint32_t&) { ++n; }
  void flag(bool&) { ++n; }
  void text(std::string&, size_t) { ++n; }
  template <size_t N>
  void name(char (&)[N]) { ++n; }
};

int main() {
  save::StorySnapshot s;
  Count c;
  save::visit(c, s);
  int members = 0;
  save::pairGame(s.game, s.game, [&](int&, int&) { ++members; });
  return c.n > 0 && members > 0 ? 0 : 1;
}
