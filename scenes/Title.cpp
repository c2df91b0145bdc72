#include "scenes/Title.h"

#include <algorithm>

#include "shell/Key.h"
#include "scenes/SystemSound.h"

namespace {
int count = 0;
int key = 0;

constexpr int kTimeout = 1000;  // steps after the load before giving up
constexpr int kPlain = 64;
constexpr int kWhite = 128;
}  // namespace

Title::Title() = default;
Title::~Title() = default;

void Title::resetStatics() {
  count = 0;
  key = 0;
}

int Title::main(Sound* se) {
  keyEdge(key);
  const bool decide = newlyPressed(key, KEY_DECIDE);

  switch (phase) {
    case 0:
      if (!pf) {
        pf = std::make_unique<Pf1>(0, "TITLE00.PF1");
        fade = 0;
        count = 0;
        break;
      }
      ++count;
      if (fade != kPlain) ++fade;
      if (decide) {
        playSystemSound(se, SE_DECIDE);
        phase = 1;
      }
      // A Decide on the very step of the timeout wins: its sound already played.
      if (count > kTimeout && phase == 0) phase = 2;
      break;
    case 1:
      if (fade != kWhite) {
        ++fade;
      } else {
        pf.reset();
        return 1;
      }
      break;
    case 2:
      if (fade != 0) {
        --fade;
      } else {
        pf.reset();
        return 2;
      }
      break;
    default:
      break;
  }
  return 0;
}

void Title::draw(ZegDevice* zeg) {
  if (pf) pf->draw(zeg, std::min(fade * 2, 255));
}
