// The transitions of `gamestate` that start, pause and end a game.
#pragma once

// From the menu: a game with 5 hit points, no score and no creatures; the figure starts appearing.
void StartGame();
// From play: paused on the pause menu's first line; the keys are flushed so that nothing pressed
// in this frame acts on the pause screen.
void PauseGame();
// From the pause screen, the game-over screen or a window closed during a game: back to the menu
// without hit points, the progress saved.
void EndGame();
