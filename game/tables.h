// The game's constant tables: the update period and actor timings, prices, spawn offsets and every
// box list.
//
// A box is {x offset, y offset, width, height} relative to an actor's position; a box of zero width
// or height covers no pixel and is an empty entry, skipped by the collision tests. Box lists are
// constant and handed out as spans, so collision queries allocate nothing.
#pragma once

#include <array>
#include <span>

#include "game/model.h"

using Box = std::array<int, 4>;
using BoxList = std::span<const Box>;

inline constexpr int kMapColumns = 50;
inline constexpr int kMapRows = 36;
inline constexpr int kCellSize = 16;
inline constexpr int kSpawnGroups = 7;

// One update of the 50 Hz main loop, in ms of play.
inline constexpr int kUpdateMs = 20;
// A new figure or creature waits this long before it acts and can be met.
inline constexpr int kAppearWait = 1000;
// After a hit the figure or a creature cannot be hurt for this long; it blinks meanwhile.
inline constexpr int kHurtCoolDown = 2000;

// Shop prices by Supply.
inline constexpr std::array<int, kSupplyCount> prices = {10, 5, 25};

// Per spawn group {x, y} added to the spawn cell's top-left pixel corner.
inline constexpr std::array<std::array<int, 2>, kSpawnGroups> spawnofs = {{
    {8, 0},
    {8, 8},
    {16, 8},
    {8, 8},
    {16, 0},
    {32, -16},
    {16, 0},
}};

// The player figure: legs, body, head.
inline constexpr std::array<Box, 3> figboxes = {
    {{-8, 0, 16, 16}, {-7, -12, 14, 8}, {-4, -15, 8, 14}}};

// A 16x16 square centred on a point: drops and the gun's shot.
inline constexpr std::array<Box, 1> unitbox = {{{-8, -8, 16, 16}}};

namespace crboxes {
inline constexpr std::array<Box, 3> walker_small = {
    {{-8, 0, 16, 8}, {-7, -4, 14, 4}, {-4, -7, 8, 3}}};
inline constexpr std::array<Box, 3> mover_small_hit = {
    {{-16, -4, 32, 8}, {-16, -8, 8, 4}, {8, -8, 8, 4}}};
inline constexpr std::array<Box, 1> mover_small_terrain = {{{-16, -8, 32, 16}}};
inline constexpr std::array<Box, 3> crawler_small_hit = {
    {{-6, -1, 12, 2}, {-5, -5, 10, 10}, {-1, -6, 2, 12}}};
inline constexpr std::array<Box, 1> crawler_small_terrain = {{{-8, -8, 16, 16}}};
inline constexpr std::array<Box, 4> walker_big = {
    {{-16, 0, 32, 16}, {-14, -8, 28, 8}, {-8, -14, 16, 6}, {-2, -16, 4, 2}}};
inline constexpr std::array<Box, 3> mover_big_hit = {
    {{-32, -12, 64, 21}, {-32, -16, 16, 4}, {16, -16, 16, 4}}};
inline constexpr std::array<Box, 1> mover_big_terrain = {{{-32, -16, 64, 32}}};
inline constexpr std::array<Box, 4> crawler_big_hit = {
    {{-14, -4, 28, 8}, {-11, -9, 22, 18}, {-9, -11, 18, 22}, {-4, -14, 8, 28}}};
inline constexpr std::array<Box, 1> crawler_big_terrain = {{{-16, -16, 32, 32}}};
}  // namespace crboxes

// Which boxes of a creature: those that touch the figure, its shots and blasts, or those that
// must stay clear of solid cells.
inline constexpr int kHitBoxes = 0;
inline constexpr int kTerrainBoxes = 1;

// A creature kind's hit boxes (which = kHitBoxes) or terrain boxes (any other value); empty for
// kinds outside 1..6. Walkers use the same boxes for both.
constexpr BoxList CreatureBoxes(int kind, int which) {
  const bool hit = which == kHitBoxes;
  switch (kind) {
    case kWalker: return crboxes::walker_small;
    case kMover:
      return hit ? BoxList(crboxes::mover_small_hit) : BoxList(crboxes::mover_small_terrain);
    case kCrawler:
      return hit ? BoxList(crboxes::crawler_small_hit) : BoxList(crboxes::crawler_small_terrain);
    case kBigWalker: return crboxes::walker_big;
    case kBigMover:
      return hit ? BoxList(crboxes::mover_big_hit) : BoxList(crboxes::mover_big_terrain);
    case kBigCrawler:
      return hit ? BoxList(crboxes::crawler_big_hit) : BoxList(crboxes::crawler_big_terrain);
    default: return {};
  }
}

// Look-ahead of the walkers in pixels from their centre.
constexpr int WalkerLookAhead(int kind) { return kind == kBigWalker ? 16 : 8; }
