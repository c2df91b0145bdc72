#include "scenes/LmPlayer.h"

#include <new>

#include "game/Game.h"
#include "scenes/Opening.h"
#include "scenes/Scene.h"
#include "scenes/Select.h"
#include "scenes/Title.h"
#include "shell/FileUtils.h"
#include "sound/Sound.h"

LmPlayer::LmPlayer() {
  char sename[256];
  iniString("SYSPCM", "SYS01.PCM", sename, sizeof sename);
  // The first data file opened: it also fills the directory table.
  se = std::make_unique<Sound>(0, sename, 1);
  if (iniInt("SKIP", 0) != 0) phase = kSceneGame;
}

LmPlayer::~LmPlayer() {
  opening.reset();
  title.reset();
  select.reset();
  game.reset();
  se.reset();
}

void LmPlayer::resetSceneStatics() {
  Opening::resetStatics();
  Title::resetStatics();
  Select::resetStatics();
  Game::resetStepState();
}

// A scene that cannot be allocated is tried again on the next step.
int LmPlayer::main() {
  switch (phase) {
    case kSceneStart:
      phase = kSceneOpening;
      break;
    case kSceneOpening:
      if (!opening) opening.reset(new (std::nothrow) Opening());
      if (opening && opening->main()) {
        opening.reset();
        phase = kSceneTitle;
      }
      break;
    case kSceneTitle: {
      if (!title) title.reset(new (std::nothrow) Title());
      const int r = title ? title->main(se.get()) : 0;
      if (r) {
        title.reset();
        phase = (r == 1) ? kSceneSelect : kSceneOpening;
      }
      break;
    }
    case kSceneSelect:
      if (!select) select.reset(new (std::nothrow) Select());
      if (select && select->main(se.get())) {
        select.reset();
        phase = kSceneGame;
      }
      break;
    case kSceneGame:
      if (!game) game.reset(new (std::nothrow) Game());
      if (game) game->main(se.get());
      break;
    default:
      break;
  }
  return kStepMs;
}

void LmPlayer::draw(ZegDevice* zeg) {
  switch (phase) {
    case kSceneOpening:
      if (opening) opening->draw(zeg);
      break;
    case kSceneTitle:
      if (title) title->draw(zeg);
      break;
    case kSceneSelect:
      if (select) select->draw(zeg);
      break;
    case kSceneGame:
      if (game) game->draw(zeg);
      break;
    default:
      break;
  }
}
