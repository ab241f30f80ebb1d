// The cells of the level and the two collision tests; the tests allocate nothing and return at
// the first hit.
#pragma once

#include "game/tables.h"

// The value of a cell of `map`: 1 solid, 0 open, -1 off the grid (neither, each caller decides).
int CellAt(int column, int row);

// 1 when some box of a at (ax, ay) overlaps some box of b at (bx, by); touching edges do not.
int BoxColl(BoxList a, int ax, int ay, BoxList b, int bx, int by);
// 1 when some box at (x, y) covers a solid cell (value 1) of `map`; cells off the grid are not
// solid.
int MapColl(BoxList boxes, int x, int y);
