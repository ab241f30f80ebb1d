// The figure on a fixture floor: the wait, jumps, dash, contact rules, falling and the blink.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/list.h"
#include "engine/platform.h"
#include "engine/platform/headless.h"
#include "engine/system.h"
#include "game/creature.h"
#include "game/drop.h"
#include "game/effects.h"
#include "game/figure.h"
#include "game/globals.h"
#include "support/recording_driver.h"
#include "support/world_fixture.h"

namespace {

constexpr int kFloorRow = 30;                 // pixels 480..495
constexpr int kStandY = 16 * kFloorRow - 16;  // legs box bottom at 479

class FigureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    rec.Open();
    EnableKeyTracking(true);
    UseBlankSheets();
    for (int c = 0; c < kMapColumns; ++c) map[c][kFloorRow] = 1;
    gamestate = kPlaying;
    health = 5;
    now = 1000;
  }
  void TearDown() override {
    FlushKeys();
    ResetGlobals();
  }

  static void Key(int code, bool down) {
    headless::QueueEvent({down ? platform::kEventKeyDown : platform::kEventKeyUp, code});
  }
  static void Tap(int code) {
    Key(code, true);
    Key(code, false);
  }
  static void Update() {
    now += 20;
    fig->U();
  }
  // A figure that has appeared and stands on the floor at x.
  static TFig& Standing(int x) {
    TFig::Cr(x, kStandY);
    now += 1000;
    fig->U();
    Update();
    EXPECT_EQ(fig->og, 1);
    EXPECT_EQ(fig->act, 1);
    return *fig;
  }

  RecordingDriver rec;
};

TEST_F(FigureTest, InvisibleAndStillForTheFirstSecond) {
  TFig::Cr(400, 100);  // in the air
  const int created = now;
  Key(39, true);
  while (now < created + 980) {
    Update();
    EXPECT_EQ(fig->act, 0);
    EXPECT_EQ(fig->y, 100);
    rec.Clear();
    fig->Dr();
    EXPECT_TRUE(rec.quads.empty());
  }
  Update();  // now = created + 1000: appears, reads no keys
  EXPECT_EQ(fig->act, 1);
  EXPECT_EQ(fig->x, 400);
  EXPECT_EQ(fig->y, 100);
  Update();
  EXPECT_GT(fig->y, 100);
  EXPECT_EQ(fig->x, 403);
}

TEST_F(FigureTest, JumpRises78In12UpdatesAndSpinJump91In13) {
  TFig& f = Standing(400);
  Tap(38);
  std::vector<int> ys;
  for (int i = 0; i < 14; ++i) {
    if (i == 1) Tap(38);  // in the air in state 3: a spin jump
    Update();
    ys.push_back(f.y);
  }
  EXPECT_EQ(ys[0], kStandY - 12);
  EXPECT_EQ(f.act, 5);  // the falling rule never ends a spin
  // The spin started in the second update from kStandY - 12.
  const int top = *std::min_element(ys.begin(), ys.end());
  EXPECT_EQ(kStandY - 12 - top, 91);
  EXPECT_EQ(ys[13], top);
  EXPECT_EQ(ys[12] - 1, top);

  // A plain jump.
  for (int i = 0; i < 60; ++i) Update();
  ASSERT_EQ(f.y, kStandY);
  Tap(38);
  int rise = 0, updates = 0;
  for (int last = f.y; updates < 30; ++updates) {
    Update();
    if (f.y >= last) break;
    last = f.y;
    rise = kStandY - f.y;
  }
  EXPECT_EQ(rise, 78);
  EXPECT_EQ(updates, 12);
}

TEST_F(FigureTest, DashLastsSixUpdatesOfFourPixels) {
  TFig& f = Standing(400);
  Tap(40);
  std::vector<int> xs;
  for (int i = 0; i < 8; ++i) {
    Update();
    xs.push_back(f.x);
  }
  EXPECT_EQ(xs, (std::vector<int>{404, 408, 412, 416, 420, 424, 424, 424}));
  EXPECT_EQ(f.act, 1);
}

TEST_F(FigureTest, StompingAWalkerBouncesAndEndsInStateFour) {
  auto c = AddActiveCreature(1, 400, kStandY + 8, 1);  // hit boxes from y - 7
  TFig::Cr(400, kStandY - 40);
  fig->act = 4;
  fig->dy = 6;
  for (int i = 0; i < 10 && CountList(creatures); ++i) Update();
  EXPECT_EQ(CountList(creatures), 0);
  EXPECT_EQ(fig->dy, -12);
  EXPECT_EQ(fig->act, 4);
  EXPECT_EQ(fig->fr, 0);
  EXPECT_EQ(health, 5);
}

TEST_F(FigureTest, WalkingIntoAWalkerHurtsOnceAndThenPassesThrough) {
  TFig& f = Standing(400);
  auto c = AddActiveCreature(4, 430, kStandY + 8, 1);
  Key(39, true);
  int hurt_at = -1;
  for (int i = 0; i < 20 && hurt_at < 0; ++i) {
    Update();
    if (health < 5) hurt_at = i;
  }
  ASSERT_GE(hurt_at, 0);
  EXPECT_EQ(health, 4);
  EXPECT_EQ(f._h, 2000);
  EXPECT_EQ(c->hl, 3);
  for (int i = 0; i < 20; ++i) Update();  // through the walker, untouched
  EXPECT_EQ(health, 4);
  EXPECT_EQ(c->hl, 3);
  EXPECT_GT(f.x, 450);

  // The blink: white while (_h div 100) is odd.
  for (int h : {1999, 1900, 1899, 1800, 1700, 1600}) {
    rec.Clear();
    f._h = h;
    f.Dr();
    ASSERT_EQ(rec.quads.size(), 1u);
    const bool white = (h / 100) % 2 == 1;
    EXPECT_EQ(rec.quads[0].red, white ? 255 : 0) << h;
    EXPECT_EQ(rec.quads[0].green, white ? 255 : 0xF0) << h;
  }
}

TEST_F(FigureTest, ContactRulesByKindAndState) {
  struct Case {
    const char* what;
    int kind, cdir, act, dy, cy_offset;  // creature y relative to the figure's
    int health_lost;
    int hl_lost;
    bool bounce;
  };
  // Each figure stands on the floor or hangs in the air; the creature overlaps it at once.
  const Case cases[] = {
      {"walker vs standing", 4, 1, 1, 0, 4, 1, 0, false},
      {"walker vs dash", 4, 1, 6, 0, 4, 0, 1, false},
      {"walker vs spin", 4, 1, 5, 3, 4, 0, 1, true},
      {"walker vs fall", 4, 1, 4, 3, 4, 0, 1, true},
      {"mover down vs standing", 5, 1, 1, 0, 4, 1, 0, false},
      {"mover up vs standing", 5, -1, 1, 0, 4, 0, 1, false},
      {"mover vs spin from above", 5, 1, 5, 3, 4, 0, 1, true},
      {"mover vs dash", 5, 1, 6, 0, 4, 0, 1, false},
      {"crawler vs dash", 6, 1, 6, 0, 4, 1, 0, false},
      {"crawler vs spin", 6, 1, 5, 3, 4, 1, 0, false},
  };
  for (const Case& k : cases) {
    creatures.Clear();
    health = 5;
    Standing(400);
    fig->act = k.act;
    fig->tm = now + 1000;  // a dash that lasts
    if (k.dy) {
      fig->y = kStandY - 100;
      fig->og = 0;
      fig->dy = k.dy;
    }
    auto c = AddActiveCreature(k.kind, 400, fig->y + k.cy_offset, k.cdir);
    Update();
    EXPECT_EQ(5 - health, k.health_lost) << k.what;
    EXPECT_EQ(3 - c->hl, k.hl_lost) << k.what;
    EXPECT_EQ(fig->dy == -12, k.bounce) << k.what;
  }
}

TEST_F(FigureTest, MoverStruckFromBelowWhileRisingHurts) {
  health = 5;
  TFig& f = Standing(400);
  f.y = 300;
  f.og = 0;
  f.act = 5;
  f.dy = -6;
  // The mover's hit boxes end at y + 8; the figure's head starts at y - 15: they meet after 3
  // steps.
  auto c = AddActiveCreature(5, 400, 300 - 26, 1);
  Update();
  EXPECT_EQ(f.y, 298);
  EXPECT_EQ(health, 4);
  EXPECT_EQ(c->hl, 3);
}

TEST_F(FigureTest, LastHitPointEndsTheGameOnce) {
  health = 1;
  TFig& f = Standing(400);
  AddActiveCreature(3, 400, kStandY + 4, 1);
  AddActiveCreature(6, 400, kStandY + 4, 1);
  Update();
  EXPECT_EQ(health, 0);
  EXPECT_EQ(gamestate, kGameOver);
  const int x = f.x, y = f.y;
  Key(39, true);
  Update();  // frozen
  EXPECT_EQ(f.x, x);
  EXPECT_EQ(f.y, y);
  rec.Clear();
  f.Dr();
  EXPECT_TRUE(rec.quads.empty());
}

TEST_F(FigureTest, WallUndoesEveryHorizontalStep) {
  map[26][kFloorRow - 1] = 1;  // pixels 416..431
  TFig& f = Standing(407);     // legs box to x + 7 = 414
  Key(39, true);
  Update();
  EXPECT_EQ(f.x, 408);
  Update();
  EXPECT_EQ(f.x, 408);
  EXPECT_EQ(f.act, 2);
}

TEST_F(FigureTest, PicksUpDropsTouchedAfterHalfASecond) {
  TFig& f = Standing(400);
  TDrp::Cr(0, 400, kStandY);
  TDrp::Cr(2, 404, kStandY);
  drops.ForEach([](TDrp& d) { d.tm = now - 500; });
  Update();
  EXPECT_EQ(money, 1);
  EXPECT_EQ(stock[1], 1);
  EXPECT_EQ(CountList(drops), 0);
  (void)f;
}

TEST_F(FigureTest, FallBelowTheGridIsCappedPerUpdate) {
  TFig& f = Standing(400);
  f.y = 5000;
  f.dy = 100000;
  Update();
  EXPECT_EQ(f.y, 5000 + kMapRows * kCellSize);
}

TEST_F(FigureTest, OnlyTheRunningCycleIsMirrored) {
  TFig& f = Standing(400);
  f.dir = -1;
  for (int act : {1, 2, 3, 4, 5, 6}) {
    rec.Clear();
    f.act = act;
    f.Dr();
    ASSERT_EQ(rec.quads.size(), 1u);
    const bool mirrored = rec.quads[0].vertices[1].x < rec.quads[0].vertices[0].x;
    EXPECT_EQ(mirrored, act == 2) << act;
    EXPECT_EQ(TDraw2DGraphics::Current()->tform_scale_x, 1.0f);
  }
}

}  // namespace
