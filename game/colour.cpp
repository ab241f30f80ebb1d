#include "game/colour.h"

#include "engine/graphics.h"

// Called by everything that draws in the game.
void SetCol(int colour) {
  const unsigned word = static_cast<unsigned>(colour);
  SetColor((word >> 16) & 255, (word >> 8) & 255, word & 255);
}
