// The two collision tests; both allocate nothing and return at the first hit.
#pragma once

#include "game/tables.h"

// 1 when some box of a at (ax, ay) overlaps some box of b at (bx, by); touching edges do not.
int BoxColl(BoxList a, int ax, int ay, BoxList b, int bx, int by);
// 1 when some box at (x, y) covers a solid cell (value 1) of `map`; cells off the grid are not
// solid.
int MapColl(BoxList boxes, int x, int y);
