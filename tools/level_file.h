// The level in memory, its text picture (assets/level.txt) and its binary form (gfx/map.dat).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "game/tables.h"
#include "tools/png_io.h"

struct SpawnCell {
  int column = 0;
  int row = 0;
  bool operator==(const SpawnCell&) const = default;
};

struct Level {
  std::array<std::uint8_t, kMapColumns * kMapRows> cells{};  // row by row, top row first
  std::array<std::vector<SpawnCell>, kSpawnGroups> spawns;

  int Cell(int column, int row) const { return cells[row * kMapColumns + column]; }
  void SetCell(int column, int row, int value) {
    cells[row * kMapColumns + column] = static_cast<std::uint8_t>(value);
  }
  static bool InGrid(int column, int row) {
    return column >= 0 && column < kMapColumns && row >= 0 && row < kMapRows;
  }
  bool operator==(const Level&) const = default;
};

inline constexpr int kOpenCell = 0;
inline constexpr int kSolidCell = 1;

// Picture characters: '.' open, '#' solid, ':' value 2 (neither painted nor solid), digits '0'..'6'
// an open cell holding a spawn point of that group, 'A'..'G' a solid cell holding one of group
// 0..6. Lines starting with ';' are comments. Spawn points are numbered in reading order.
std::optional<Level> ParseLevelText(const std::string& text, std::string* error);

Bytes EncodeMapDat(const Level& level);
// Reads the layout the game reads; nullopt with `error` set when the data is too short or a count
// is negative.
std::optional<Level> DecodeMapDat(const Bytes& data, std::string* error);
