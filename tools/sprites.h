// The sprite sheets, drawn in greys on transparency; the game tints them with each actor's colour.
#pragma once

#include "tools/png_io.h"

RgbaImage DrawFigureSheet();     // gfx/fig.png: 32x32 cells, 16 frames
RgbaImage DrawCreatureSheet();   // gfx/crea.png: 64x64 cells, 32 frames
RgbaImage DrawSymbolSheet();     // gfx/symbols.png: 16x16 cells, 64 frames
RgbaImage DrawBigSymbolSheet();  // gfx/symbols_big.png: 32x32 cells, 32 frames
RgbaImage DrawWeaponSheet(
    int cell_size);    // gfx/weapons.png (16) and gfx/weapons_big.png (32): 32 frames
RgbaImage DrawGlow();  // gfx/glow.png: one 64x64 frame
// The desktop icon, in colour, `size` pixels square (gfx/icon.png is the 64-pixel one).
RgbaImage DrawIcon(int size);
// The other sizes made for desktops, as gfx/icon-SIZE.png.
inline constexpr int kIconSizes[] = {16, 24, 32, 48, 128, 256};

// Lays out frames of one size left to right, then row by row, `across` cells per row.
RgbaImage JoinFrames(const std::vector<RgbaImage>& frames, int across);
