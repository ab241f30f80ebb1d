// The rules a level must keep so that the figure and every creature kind behave well on it.
#pragma once

#include <string>
#include <vector>

#include "tools/level_file.h"

// Rows at the top of the grid under the HUD; they must stay unpainted so the HUD reads well.
inline constexpr int kHudRows = 5;
// Groups with fewer points make the waves predictable.
inline constexpr int kMinSpawnsPerGroup = 2;
// Vertical movers need at least this much free travel between floor and ceiling, in pixels.
inline constexpr int kMinShaftTravel = 32;

// One message per broken rule and spawn point; empty when the level is good.
std::vector<std::string> CheckLevel(const Level& level);

// The pixel position the game gives a spawn point of `group` at `cell`.
SpawnCell SpawnPixel(int group, SpawnCell cell);
// The boxes of what appears at a spawn point of `group` that must stay clear of solid cells: the
// figure's, or the creature kind's terrain boxes.
BoxList SpawnBoxes(int group);
// Whether a box list at (x, y) covers a solid cell, truncating toward zero like the game.
bool CoversSolid(const Level& level, BoxList boxes, int x, int y);
