#include "game/playstep.h"

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/list.h"
#include "engine/numbers.h"
#include "engine/system.h"
#include "game/colour.h"
#include "game/creature.h"
#include "game/drop.h"
#include "game/figure.h"
#include "game/gameflow.h"
#include "game/globals.h"
#include "game/screens.h"
#include "game/spawn.h"

namespace {

constexpr int kWaveEvery = 6;  // play seconds between wave checks

// Every 60 s a wave of big creatures replaces the regular batch; otherwise the population is
// topped up by at most 3 towards 20 + 3s/60.
void WaveCheck(int s) {
  nextwave += kWaveEvery;
  if (s % 60 == 0 && s > 1) {
    const int m = s / 60 - 1;
    for (int i = 0; i < m / 3 + 1; ++i) SpawnOne(kBigWalker + m % 3);
    return;
  }
  const int n = Min(3, (s * 3) / 60 + 20 - CountList(creatures));
  for (int i = 0; i < n; ++i) {
    const int r = Rand(1, 10);
    SpawnOne(r <= 5 ? kWalker : r <= 9 ? kMover : kCrawler);
  }
}

void UseItem() {
  switch (item) {
    case kItemHealing: fig->Hea(); break;
    case kItemGun: fig->Sht(); break;
    case kItemBomb: fig->Bmb(); break;
  }
}

// The background alone takes the bomb flash: black for about 73 ms, then brightening back.
void DrawBackground() {
  SetCol(kWhite);
  if (now < flashend) {
    const int v = 255 - 2 * (flashend - now);
    SetColor(v, v, v);
  }
  DrawImage(*bg, 0, 0, 0);
}

}  // namespace

// Called by the main loop once per frame in every state, between Cls and the effects.
void PlayStep() {
  if (gamestate == kPlaying && KeyHit(kKeyEscape)) PauseGame();
  if (gamestate == kPlaying) {
    if (KeyHit(kKeySpace) && fig) UseItem();
    playtime += kUpdateMs;
    const int s = playtime / 1000;
    if (s >= nextwave) WaveCheck(s);
  }
  if (gamestate != kPlaying && gamestate != kGameOver) return;
  // A game lost during this frame's figure update shows the game-over screen from the next frame.
  const bool over = gamestate == kGameOver;
  DrawBackground();
  // A level without a figure spawn point starts a game without a figure.
  if (fig) fig->U();
  TDrp::UA();
  TCr::UA();
  TDrp::DrA();
  TCr::DrA();
  if (fig) fig->Dr();
  if (over) GameOverScreen();
}
