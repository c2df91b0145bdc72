#include "scenes/LmPlayer.h"

#include "game/Game.h"
#include "scenes/Opening.h"
#include "scenes/Select.h"
#include "scenes/Title.h"
#include "shell/FileUtils.h"
#include "sound/Sound.h"

LmPlayer::LmPlayer() {
  char sename[256];
  iniString("SYSPCM", "SYS01.PCM", sename, sizeof sename);
  // The first data file opened: it also fills the directory table.
  se = std::make_unique<Sound>(0, sename, 1);
  if (iniInt("SKIP", 0) != 0) phase = 4;
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

int LmPlayer::main() {
  switch (phase) {
    case 0:
      phase = 1;
      break;
    case 1:
      if (!opening) opening = std::make_unique<Opening>();
      if (opening->main()) {
        opening.reset();
        phase = 2;
      }
      break;
    case 2: {
      if (!title) title = std::make_unique<Title>();
      const int r = title->main(se.get());
      if (r) {
        title.reset();
        phase = (r == 1) ? 3 : 1;
      }
      break;
    }
    case 3:
      if (!select) select = std::make_unique<Select>();
      if (select->main(se.get())) {
        select.reset();
        phase = 4;
      }
      break;
    case 4:
      if (!game) game = std::make_unique<Game>();
      game->main(se.get());
      break;
    default:
      break;
  }
  return kStepMs;
}

void LmPlayer::draw(ZegDevice* zeg) {
  switch (phase) {
    case 1:
      if (opening) opening->draw(zeg);
      break;
    case 2:
      if (title) title->draw(zeg);
      break;
    case 3:
      if (select) select->draw(zeg);
      break;
    case 4:
      if (game) game->draw(zeg);
      break;
    default:
      break;
  }
}
