#include "scenes/Opening.h"

#include "shell/Key.h"

namespace {
// Shared by every Opening for the whole run, like function statics of main.
int count = 0;
int key = 0;

constexpr int kHoldEnd = 130;  // count at which a logo stops holding
constexpr int kPlain = 64;     // fade of the unchanged picture
constexpr int kWhite = 127;    // fade at which the first logo is replaced
}  // namespace

Opening::Opening() = default;
Opening::~Opening() = default;

void Opening::resetStatics() {
  count = 0;
  key = 0;
}

int Opening::main() {
  keyEdge(key);
  const bool decide = newlyPressed(key, KEY_DECIDE);

  switch (phase) {
    case 0:
      if (!pf) {
        pf = std::make_unique<Pf1>(0, "LOGO01.PF1");
        fade = 0;
        count = 0;
        break;
      }
      ++count;
      if (count < kHoldEnd) {
        if (fade == kPlain) {
          if (decide) phase = 10;
        } else {
          ++fade;
        }
      } else if (fade != kWhite) {
        ++fade;
      } else {
        pf = std::make_unique<Pf1>(0, "LOGO02.PF1");
        count = 0;
        phase = 1;
      }
      break;
    case 1:
      ++count;
      if (count < kHoldEnd) {
        if (fade == kPlain) {
          if (decide) phase = 10;
        } else {
          --fade;
        }
      } else if (fade != 0) {
        --fade;
      } else {
        pf.reset();
        count = 0;
        phase = 2;
        return 1;
      }
      break;
    case 10:
      if (fade != 0) {
        --fade;
      } else {
        return 1;  // the logo goes with the object
      }
      break;
    default:
      break;
  }
  return 0;
}

void Opening::draw(ZegDevice* zeg) {
  if (pf) pf->draw(zeg, fade * 2);
}
