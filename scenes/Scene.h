#pragma once
// The scenes of the state machine, as `LmPlayer::phase` holds them.
enum Scene : int {
  kSceneStart = 0,  // the first step only moves on to the opening
  kSceneOpening = 1,
  kSceneTitle = 2,
  kSceneSelect = 3,
  kSceneGame = 4,
};
