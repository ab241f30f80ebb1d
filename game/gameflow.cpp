#include "game/gameflow.h"

#include "engine/system.h"
#include "game/creature.h"
#include "game/globals.h"
#include "game/spawn.h"
#include "game/stats.h"

// Called by the menu's first line.
void StartGame() {
  score = 0;
  health = 5;
  playtime = 0;
  nextwave = 0;
  creatures.Clear();
  gamestate = kPlaying;
  SpawnOne(kFigureGroup);
}

// Called by the play step on escape.
void PauseGame() {
  gamestate = kPaused;
  FlushKeys();
  pausesel = 0;
}

// Money and supplies are kept for the next game.
void EndGame() {
  gamestate = kMenu;
  health = 0;
  menusel = 0;
  SaveStats();
}
