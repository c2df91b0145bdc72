// Composition of the story screen: background, face, text window, choice window.
#include <cstring>

#include "game/Game.h"
#include "graphics/graphicDevice.h"

void Game::draw(ZegDevice* zeg) {
  if (!zeg || !zeg->videoMemory) return;
  drawBackground(zeg);
  if (face) face->draw(zeg, size, theta, face_site, eyes, mouth);
  if (text) text->draw(zeg, 2 * fade);
  if (select) select->draw(zeg);
}

void Game::drawBackground(ZegDevice* zeg) {
  if (oldPf) {
    drawTransition(zeg);
  } else if (pf) {
    if (scroll) pf->draw(zeg, 2 * fade, scrX, scrY);
    else pf->draw(zeg, 2 * fade);
  } else {
    fillGrey(zeg, 2 * fade);
  }
}

// Modes 1-5 show both images unfaded; 6 and 7 pan the new one alone; any
// other mode leaves the background as the previous frame painted it.
void Game::drawTransition(ZegDevice* zeg) {
  if (apearmode >= 1 && apearmode <= 5) oldPf->draw(zeg);
  if (!pf) return;
  switch (apearmode) {
    case 1: pf->scrollY(zeg, -scrY); break;
    case 2: pf->scrollY(zeg, 240 - scrY); break;
    case 3: pf->scrollX(zeg, 320 - scrX); break;
    case 4: pf->scrollX(zeg, -scrX); break;
    case 5: pf->zoom(zeg, zoom); break;
    case 6:
    case 7: pf->scrollY(zeg, scrY, 2 * fade); break;
    default: break;
  }
}

// A uniform grey: the level is written into every byte, not faded.
void Game::fillGrey(ZegDevice* zeg, int level) {
  const size_t rowBytes = static_cast<size_t>(zeg->width) * 3;
  unsigned char* row = zeg->videoMemory;
  for (int y = 0; y < zeg->height; ++y, row += zeg->bytesPerLine)
    std::memset(row, level & 0xFF, rowBytes);
}
