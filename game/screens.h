// The HUD (every state), the menu and shop (kMenu), the pause screen (kPaused) and the game-over
// screen (kGameOver).
#pragma once

#include <string>

// One menu line centred at x 400; a selected line is yellow between two full-width yellow bars.
void MenuLine(const std::string& text, int y, int selected);
void DrawHud();
void MenuScreen();
void PauseScreen();
void GameOverScreen();
