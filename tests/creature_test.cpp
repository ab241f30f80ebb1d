// Creatures on small fixture levels: pacing bounds, reversal, crawling round a block, strikes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "engine/image.h"
#include "engine/list.h"
#include "game/collision.h"
#include "game/creature.h"
#include "game/drop.h"
#include "game/effects.h"
#include "game/globals.h"
#include "support/world_fixture.h"

namespace {

class CreatureTest : public WorldTest {
 protected:
  static void Solid(int c0, int c1, int r0, int r1) {
    for (int c = c0; c <= c1; ++c)
      for (int r = r0; r <= r1; ++r) map[c][r] = 1;
  }
  static std::pair<int, int> XRange(TCr& c, int updates) {
    int lo = c.x, hi = c.x;
    for (int i = 0; i < updates; ++i) {
      c.U();
      lo = std::min(lo, c.x);
      hi = std::max(hi, c.x);
    }
    return {lo, hi};
  }
};

TEST_F(CreatureTest, WalkersPaceBetweenTheirBounds) {
  struct Case {
    int kind, c0, c1, lo, hi;
  };
  // A floor under columns c0..c1 of row 21, open everywhere else; the walker walks row 20.
  const Case cases[] = {
      {1, 10, 20, 16 * 10 + 7, 16 * 20 + 8},
      {4, 10, 20, 16 * 10 + 15, 16 * 20},
      {1, 3, 3, 16 * 3 + 7, 16 * 3 + 8},
  };
  for (const Case& k : cases) {
    ResetGlobals();
    Solid(k.c0, k.c1, 21, 21);
    auto c = AddActiveCreature(k.kind, (k.lo + k.hi) / 2, 16 * 20 + 8, 1);
    const auto [lo, hi] = XRange(*c, 1000);
    EXPECT_EQ(lo, k.lo) << "kind " << k.kind;
    EXPECT_EQ(hi, k.hi) << "kind " << k.kind;
    EXPECT_EQ(c->y, 16 * 20 + 8);
  }
}

TEST_F(CreatureTest, WalkerTurnsAtAWallAndCellValuesOtherThanZeroAreFloor) {
  Solid(0, 49, 21, 21);
  map[10][21] = 2;  // still floor
  map[15][20] = 1;  // a wall on the walking row
  auto c = AddActiveCreature(1, 16 * 12, 16 * 20 + 8, 1);
  const auto [lo, hi] = XRange(*c, 200);
  EXPECT_EQ(hi, 16 * 15 - 8);
  EXPECT_LT(lo, 16 * 10);
}

TEST_F(CreatureTest, WalkerTurnsBackAtTheEdgeOfTheGrid) {
  Solid(0, 49, 35, 35);  // a floor across the whole bottom row: no wall, no gap
  for (int kind : {1, 4}) {
    creatures.Clear();
    auto c = AddActiveCreature(kind, 400, 16 * 34 + 8, 1);
    const auto [lo, hi] = XRange(*c, 3000);
    // Pixel-to-cell division truncates toward zero, so the left edge is a little off screen.
    EXPECT_EQ(hi, kind == 1 ? 16 * 49 + 8 : 16 * 49) << kind;
    EXPECT_EQ(lo, kind == 1 ? -8 : 0) << kind;
  }
  // On the bottom row the floor below lies outside the grid: there is none.
  creatures.Clear();
  auto low = AddActiveCreature(1, 400, 16 * 35 + 8, 1);
  XRange(*low, 4);
  EXPECT_GE(low->x, 399);
  EXPECT_LE(low->x, 401);
}

TEST_F(CreatureTest, VerticalMoverReversesAtFloorAndCeiling) {
  Solid(0, 49, 5, 5);
  Solid(0, 49, 20, 20);
  for (int kind : {2, 5}) {
    creatures.Clear();
    auto c = AddActiveCreature(kind, 400, 200, 1);
    int lo = c->y, hi = c->y;
    for (int i = 0; i < 1000; ++i) {
      c->U();
      lo = std::min(lo, c->y);
      hi = std::max(hi, c->y);
      ASSERT_FALSE(MapColl(c->CBox(1), c->x, c->y));
    }
    const int half = kind == 2 ? 8 : 16;  // half height of the terrain box
    EXPECT_EQ(lo, 16 * 6 + half) << kind;
    EXPECT_EQ(hi, 16 * 20 - half) << kind;
    EXPECT_EQ(c->x, 400);
  }
}

TEST_F(CreatureTest, StartHeadsAlongTheFloor) {
  Solid(0, 49, 21, 21);
  for (int dir : {1, -1}) {
    TCr c;
    c.cl = kCrawler;
    c.x = 400;
    c.y = 16 * 21 - 8;
    c.dir = dir;
    c.Start();
    EXPECT_EQ(c.rot, dir == 1 ? -4 : 2);
    EXPECT_EQ(c.x, 400);
  }
  TCr floating;
  floating.cl = kCrawler;
  floating.x = 400;
  floating.y = 100;
  floating.dir = 1;
  floating.Start();
  EXPECT_EQ(floating.rot, -6);
}

TEST_F(CreatureTest, CrawlerGoesAroundABlockAndComesBack) {
  Solid(20, 22, 15, 16);  // a 3 x 2 block floating in the open
  for (int kind : {3, 6}) {
    for (int dir : {1, -1}) {
      creatures.Clear();
      const int half = kind == 3 ? 8 : 16;
      auto c = AddActiveCreature(kind, 16 * 21, 16 * 15 - half, dir);
      c->Start();
      const std::pair<int, int> start{c->x, c->y};
      std::set<std::pair<int, int>> seen;
      int lap = 0;
      for (int i = 1; i <= 1000 && !lap; ++i) {
        c->U();
        ASSERT_FALSE(MapColl(c->CBox(1), c->x, c->y)) << "update " << i;
        seen.insert({c->x, c->y});
        if (std::pair{c->x, c->y} == start) lap = i;
      }
      ASSERT_GT(lap, 0) << "kind " << kind << " dir " << dir;
      // The loop touched every side of the block.
      int left = 1000, right = 0, top = 1000, bottom = 0;
      for (auto [x, y] : seen) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
      EXPECT_LT(left, 16 * 20);
      EXPECT_GE(right, 16 * 23);
      EXPECT_LT(top, 16 * 15);
      EXPECT_GE(bottom, 16 * 17);
    }
  }
}

TEST_F(CreatureTest, CrawlerMeetingAWallClimbsIt) {
  Solid(0, 49, 21, 21);  // the floor
  Solid(10, 11, 5, 20);  // a wall on the left
  Solid(30, 31, 5, 20);  // and one on the right
  struct Case {
    int kind, dir, x;  // starts 24 pixels from where its terrain box touches the wall
    int wall_x, floor_y;
  };
  const Case cases[] = {
      {kCrawler, 1, 448, 472, 16 * 21 - 8},
      {kCrawler, -1, 224, 200, 16 * 21 - 8},
      {kBigCrawler, 1, 440, 464, 16 * 21 - 16},
      {kBigCrawler, -1, 232, 208, 16 * 21 - 16},
  };
  for (const Case& k : cases) {
    creatures.Clear();
    auto c = AddActiveCreature(k.kind, k.x, k.floor_y, k.dir);
    c->Start();
    for (int i = 0; i < 24; ++i) c->U();
    EXPECT_EQ(c->x, k.wall_x) << k.kind << " " << k.dir;
    EXPECT_EQ(c->y, k.floor_y) << k.kind << " " << k.dir;
    for (int i = 0; i < 20; ++i) c->U();  // up the wall
    EXPECT_EQ(c->x, k.wall_x) << k.kind << " " << k.dir;
    EXPECT_EQ(c->y, k.floor_y - 20) << k.kind << " " << k.dir;
  }
}

TEST_F(CreatureTest, BigCreatureNeedsThreeStrikesSeparatedByCoolDowns) {
  Solid(0, 49, 21, 21);
  auto c = AddActiveCreature(4, 400, 16 * 20 + 8, 1);
  score = 0;
  c->Kill();
  EXPECT_EQ(c->hl, 2);
  EXPECT_EQ(c->_h, 2000);
  c->Kill();  // immune
  EXPECT_EQ(c->hl, 2);
  for (int i = 0; i < 100; ++i) c->U();
  EXPECT_EQ(c->_h, 0);
  c->Kill();
  EXPECT_EQ(c->hl, 1);
  for (int i = 0; i < 100; ++i) c->U();
  c->Kill();
  EXPECT_EQ(c->act, kCrWaiting);
  EXPECT_EQ(score, 10);
  EXPECT_EQ(CountList(creatures), 0);
  int wounds = 0;
  effects.ForEach([&](TGx& e) { wounds += std::string(e.Cls()) == "TGxW"; });
  EXPECT_EQ(wounds, 3);
}

TEST_F(CreatureTest, WaitingCreatureIsNeitherStruckNorDrawnAndWakesAfterASecond) {
  now = 5000;
  TCr::Cr(kWalker, 400, 300);
  ASSERT_EQ(CountList(creatures), 1);
  TCr& c = *creatures.ObjectEnumerator().NextObject();
  c.Kill();
  EXPECT_EQ(c.hl, 1);
  EXPECT_EQ(CountList(creatures), 1);
  now = 5980;
  c.U();
  EXPECT_EQ(c.act, kCrWaiting);
  EXPECT_EQ(c.x, 400);
  now = 6000;
  c.U();
  EXPECT_EQ(c.act, kCrActive);
  EXPECT_EQ(c.x, 400);  // the waking update does not move
}

TEST_F(CreatureTest, AnimationCatchesUpOneStepPerUpdate) {
  auto c = AddActiveCreature(1, 400, 300, 1);
  now = 1000;
  c->ftm = 800;
  for (int i = 1; i <= 3; ++i) {
    c->U();
    EXPECT_EQ(c->fr, i);
  }
  EXPECT_EQ(c->ftm, 920);
}

}  // namespace
