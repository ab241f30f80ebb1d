// The HUD (every state), the menu and shop (state 0) and the pause screen (state 2).
#pragma once

#include <string>

// Sets the drawing colour from a colour word 0xRRGGBB.
void SetCol(int colour);
// One menu line centred at x 400; a selected line is yellow between two full-width yellow bars.
void MenuLine(const std::string& text, int y, int selected);
void DrawHud();
void MenuScreen();
void PauseScreen();
// Ends the game in progress: back to the menu without hit points, progress saved.
void EndGame();
