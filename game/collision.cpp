#include "game/collision.h"

#include "game/globals.h"

namespace {

// A box covering no pixel stands for an empty entry of the list.
bool IsEmpty(const Box& box) { return box[2] <= 0 || box[3] <= 0; }

}  // namespace

// Called by MapColl, and by the walkers for the cells ahead of them.
int CellAt(int column, int row) {
  if (column < 0 || column >= kMapColumns || row < 0 || row >= kMapRows) return -1;
  return map[column][row];
}

// Called by the figure (creatures, drops) and by the gun's shot (creatures).
int BoxColl(BoxList a, int ax, int ay, BoxList b, int bx, int by) {
  for (const Box& boxa : a) {
    if (IsEmpty(boxa)) continue;
    const int ax0 = ax + boxa[0];
    const int ay0 = ay + boxa[1];
    for (const Box& boxb : b) {
      if (IsEmpty(boxb)) continue;
      const int bx0 = bx + boxb[0];
      const int by0 = by + boxb[1];
      if (ax0 < bx0 + boxb[2] && bx0 < ax0 + boxa[2] && ay0 < by0 + boxb[3] &&
          by0 < ay0 + boxa[3]) {
        return 1;
      }
    }
  }
  return 0;
}

// Called by the figure, the creatures, the drops and the shot against the level.
int MapColl(BoxList boxes, int x, int y) {
  for (const Box& box : boxes) {
    if (IsEmpty(box)) continue;
    // C++ division truncates toward zero, as the pixel-to-cell rule wants: -15..-1 give column 0.
    const int c0 = (x + box[0]) / kCellSize;
    const int r0 = (y + box[1]) / kCellSize;
    const int c1 = (x + box[0] + box[2] - 1) / kCellSize;
    const int r1 = (y + box[1] + box[3] - 1) / kCellSize;
    for (int r = r0; r <= r1; ++r) {
      for (int c = c0; c <= c1; ++c) {
        if (CellAt(c, r) == 1) return 1;
      }
    }
  }
  return 0;
}
