// The level file "gfx/map.dat" and the background baked from it.
#pragma once

// Fills `map` and `spawns`; a missing or malformed file stops the program with one line naming it.
void LoadMap();
// Paints the open cells into the back buffer and grabs them into `bg`.
void BakeMap();
