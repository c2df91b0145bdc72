#include "scenes/Select.h"

#include "shell/Key.h"
#include "scenes/SystemSound.h"

namespace {
int key = 0;

constexpr int kPlain = 128;
}  // namespace

Select::Select() = default;

Select::~Select() {
  bg.reset();
  fg.reset();
}

void Select::resetStatics() { key = 0; }

int Select::main(Sound* se) {
  keyEdge(key);
  const bool decide = newlyPressed(key, KEY_DECIDE);
  const bool up = newlyPressed(key, KEY_UP);
  const bool down = newlyPressed(key, KEY_DOWN);

  if (++scroll > 255) scroll = 0;

  switch (phase) {
    case 0:
      if (!bg) {
        bg = std::make_unique<Pf1>(0, "SYS011.PF1");
        fg = std::make_unique<Pf1>(0, "SYS020.PF1");
      }
      if (fade == kPlain) {
        phase = 1;
      } else {
        --fade;
      }
      break;
    case 1:
      if (decide) {
        playSystemSound(se, SE_DECIDE);
        phase = 2;
      } else if (up || down) {
        playSystemSound(se, SE_CURSOR);  // once, even with both
      }
      break;
    case 2:
      if (fade != 0) {
        fade -= 2;
      } else {
        return 1;
      }
      break;
    default:
      break;
  }
  return 0;
}

void Select::draw(ZegDevice* zeg) {
  if (bg) bg->draw(zeg, fade, 0, scroll);
  if (fg) fg->draw(zeg, fade, 0, 0, 1);
}
