#include <gtest/gtest.h>

#include <vector>

#include "game/collision.h"
#include "game/globals.h"

namespace {

constexpr Box kSquare = {0, 0, 16, 16};
constexpr Box kEmpty = {0, 0, 0, 0};

struct BoxCase {
  const char* name;
  std::vector<Box> a;
  int ax, ay;
  std::vector<Box> b;
  int bx, by;
  int expected;
};

TEST(BoxCollTest, StrictOverlapOfAnyPair) {
  const BoxCase cases[] = {
      {"side by side, touching", {kSquare}, 0, 0, {kSquare}, 16, 0, 0},
      {"one pixel of overlap", {kSquare}, 0, 0, {kSquare}, 15, 0, 1},
      {"touching from the left", {kSquare}, 16, 0, {kSquare}, 0, 0, 0},
      {"stacked, touching", {kSquare}, 0, 0, {kSquare}, 0, 16, 0},
      {"corner to corner", {kSquare}, 0, 0, {kSquare}, 16, 16, 0},
      {"one corner pixel shared", {kSquare}, 0, 0, {kSquare}, 15, 15, 1},
      {"offsets move the boxes", {{-8, -8, 16, 16}}, 0, 0, {kSquare}, 7, 7, 1},
      {"at negative positions", {kSquare}, -20, -20, {kSquare}, -5, -5, 1},
      {"a later pair overlaps", {{0, 0, 4, 4}, {40, 0, 4, 4}}, 0, 0, {kSquare}, 30, 0, 1},
      {"empty entry skipped, next one counts", {kEmpty, kSquare}, 0, 0, {kSquare}, 15, 0, 1},
      {"a zero-size box inside another", {{4, 4, 0, 0}}, 0, 0, {kSquare}, 0, 0, 0},
      {"empty list a", {}, 0, 0, {kSquare}, 0, 0, 0},
      {"empty list b", {kSquare}, 0, 0, {}, 0, 0, 0},
  };
  for (const BoxCase& c : cases) {
    EXPECT_EQ(BoxColl(c.a, c.ax, c.ay, c.b, c.bx, c.by), c.expected) << c.name;
    EXPECT_EQ(BoxColl(c.b, c.bx, c.by, c.a, c.ax, c.ay), c.expected) << c.name << " (swapped)";
  }
}

struct MapCase {
  const char* name;
  std::vector<Box> boxes;
  int x, y;
  int solid_column, solid_row;  // the one cell given `value`; -1: every cell
  int value;
  int expected;
};

TEST(MapCollTest, CoversCellsWithTruncationTowardZero) {
  const std::vector<Box> unit(unitbox.begin(), unitbox.end());
  const MapCase cases[] = {
      {"aligned: only cell (0,0)", unit, 8, 8, 1, 0, 1, 0},
      {"aligned: cell (0,0) solid", unit, 8, 8, 0, 0, 1, 1},
      {"one pixel right reaches (1,0)", unit, 9, 8, 1, 0, 1, 1},
      {"one pixel down reaches (0,1)", unit, 8, 9, 0, 1, 1, 1},
      {"left edge -5 tests column 0", {{0, 0, 4, 4}}, -5, 0, 0, 0, 1, 1},
      {"top edge -5 tests row 0", {{0, 0, 4, 4}}, 0, -5, 0, 0, 1, 1},
      {"rightmost pixel at -16", {kSquare}, -31, 0, -1, -1, 1, 0},
      {"rightmost pixel at -15 is column 0", {kSquare}, -30, 0, -1, -1, 1, 1},
      {"top pixel at row 576", {kSquare}, 0, 576, -1, -1, 1, 0},
      {"left pixel at 800", {kSquare}, 800, 0, -1, -1, 1, 0},
      {"far off the grid", {kSquare}, -100000, 100000, -1, -1, 1, 0},
      {"last cell", {kSquare}, 784, 560, 49, 35, 1, 1},
      {"value 2 is not solid", unit, 8, 8, 0, 0, 2, 0},
      {"value 255 is not solid", unit, 8, 8, 0, 0, 255, 0},
      {"empty entry skipped", {kEmpty, {0, 0, 1, 1}}, 5, 5, 0, 0, 1, 1},
      {"only empty entries", {kEmpty}, 5, 5, 0, 0, 1, 0},
      {"empty list", {}, 5, 5, -1, -1, 1, 0},
  };
  for (const MapCase& c : cases) {
    ResetGlobals();
    for (int col = 0; col < kMapColumns; ++col) {
      for (int row = 0; row < kMapRows; ++row) {
        if (c.solid_column < 0 || (col == c.solid_column && row == c.solid_row))
          map[col][row] = c.value;
      }
    }
    EXPECT_EQ(MapColl(c.boxes, c.x, c.y), c.expected) << c.name;
  }
  ResetGlobals();
}

}  // namespace
