// The figure on a fixture floor: the wait, jumps, dash, contact rules, falling and the blink.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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
#include "support/drawing_fixture.h"
#include "support/recording_driver.h"
#include "support/world_fixture.h"

namespace {

constexpr int kFloorRow = 30;                 // pixels 480..495
constexpr int kStandY = 16 * kFloorRow - 16;  // legs box bottom at 479

class FigureTest : public DrawingWorldTest {
 protected:
  void SetUp() override {
    DrawingWorldTest::SetUp();
    for (int c = 0; c < kMapColumns; ++c) map[c][kFloorRow] = 1;
    gamestate = kPlaying;
    health = 5;
    now = 1000;
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
    EXPECT_EQ(fig->act, kFigStanding);
    return *fig;
  }
};

TEST_F(FigureTest, InvisibleAndStillForTheFirstSecond) {
  TFig::Cr(400, 100);  // in the air
  const int created = now;
  Key(kKeyRight, true);
  while (now < created + 980) {
    Update();
    EXPECT_EQ(fig->act, kFigWaiting);
    EXPECT_EQ(fig->y, 100);
    rec.Clear();
    fig->Dr();
    EXPECT_TRUE(rec.quads.empty());
  }
  Update();  // now = created + 1000: appears, reads no keys
  EXPECT_EQ(fig->act, kFigStanding);
  EXPECT_EQ(fig->x, 400);
  EXPECT_EQ(fig->y, 100);
  Update();
  EXPECT_GT(fig->y, 100);
  EXPECT_EQ(fig->x, 403);
}

TEST_F(FigureTest, JumpRises78In12UpdatesAndSpinJump91In13) {
  TFig& f = Standing(400);
  Tap(kKeyUp);
  std::vector<int> ys;
  for (int i = 0; i < 14; ++i) {
    if (i == 1) Tap(kKeyUp);  // in the air in state 3: a spin jump
    Update();
    ys.push_back(f.y);
  }
  EXPECT_EQ(ys[0], kStandY - 12);
  EXPECT_EQ(f.act, kFigSpinning);  // the falling rule never ends a spin
  // The spin started in the second update from kStandY - 12.
  const int top = *std::min_element(ys.begin(), ys.end());
  EXPECT_EQ(kStandY - 12 - top, 91);
  EXPECT_EQ(ys[13], top);
  EXPECT_EQ(ys[12] - 1, top);

  // A plain jump.
  for (int i = 0; i < 60; ++i) Update();
  ASSERT_EQ(f.y, kStandY);
  Tap(kKeyUp);
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
  Tap(kKeyDown);
  std::vector<int> xs;
  for (int i = 0; i < 8; ++i) {
    Update();
    xs.push_back(f.x);
  }
  EXPECT_EQ(xs, (std::vector<int>{404, 408, 412, 416, 420, 424, 424, 424}));
  EXPECT_EQ(f.act, kFigStanding);
}

TEST_F(FigureTest, StompingAWalkerBouncesAndEndsInStateFour) {
  auto c = AddActiveCreature(1, 400, kStandY + 8, 1);  // hit boxes from y - 7
  TFig::Cr(400, kStandY - 40);
  fig->act = kFigFalling;
  fig->dy = 6;
  for (int i = 0; i < 10 && CountList(creatures); ++i) Update();
  EXPECT_EQ(CountList(creatures), 0);
  EXPECT_EQ(fig->dy, -12);
  EXPECT_EQ(fig->act, kFigFalling);
  EXPECT_EQ(fig->fr, 0);
  EXPECT_EQ(health, 5);
}

TEST_F(FigureTest, WalkingIntoAWalkerHurtsOnceAndThenPassesThrough) {
  TFig& f = Standing(400);
  auto c = AddActiveCreature(4, 430, kStandY + 8, 1);
  Key(kKeyRight, true);
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

// Where the figure meets each kind's hit boxes, inclusive, around the creature's position: left
// and right at the figure's height, top and bottom within the width of the figure's legs (a
// mover's horns stand outside it).
struct Extent {
  int left, right, top, bottom;
};
const Extent kHitExtent[7] = {{},
                              {-8, 7, -7, 7},
                              {-16, 15, -4, 3},
                              {-6, 5, -6, 5},
                              {-16, 15, -16, 15},
                              {-32, 31, -12, 8},
                              {-14, 13, -14, 13}};
// The figure's boxes span x - 8 .. x + 7 and y - 15 .. y + 15.

enum Outcome { kHurt, kStrike, kStrikeBounce };

TEST_F(FigureTest, ContactRulesByKindAndApproach) {
  enum Place { kAbove, kBelow, kInside, kAhead };
  struct Approach {
    const char* what;
    int act, dy;
    bool run;  // right held
    int cdir;  // the creature's direction: 1 a mover going down, -1 going up
    Place place;
    Outcome walker, mover, crawler;
  };
  // The creature stands 2 free pixels away (or overlaps at once for kInside), so the figure moves
  // 2 pixels before it meets it.
  const Approach approaches[] = {
      {"falling onto it", kFigFalling, 4, false, 1, kAbove, kStrikeBounce, kStrikeBounce, kHurt},
      {"jumping into it from below", kFigJumping, -6, false, 1, kBelow, kHurt, kHurt, kHurt},
      {"standing in it going down", kFigStanding, 0, false, 1, kInside, kHurt, kHurt, kHurt},
      {"standing in it going up", kFigStanding, 0, false, -1, kInside, kHurt, kStrike, kHurt},
      {"running into it going down", kFigStanding, 0, true, 1, kAhead, kHurt, kHurt, kHurt},
      {"running into it going up", kFigStanding, 0, true, -1, kAhead, kHurt, kStrike, kHurt},
      {"spinning down onto it", kFigSpinning, 4, false, 1, kAbove, kStrikeBounce, kStrikeBounce,
       kHurt},
      {"spinning up into it", kFigSpinning, -6, false, 1, kBelow, kStrikeBounce, kHurt, kHurt},
      {"dashing into it", kFigDashing, 0, false, 1, kAhead, kStrike, kStrike, kHurt},
  };
  for (const Approach& a : approaches) {
    for (int kind = kWalker; kind <= kBigCrawler; ++kind) {
      const std::string what = std::string(a.what) + ", kind " + std::to_string(kind);
      creatures.Clear();
      health = 5;
      TFig& f = Standing(400);
      f.act = a.act;
      if (a.act == kFigDashing) {
        f.dx = 4;
        f.tm = now + 1000;  // a dash that lasts
      }
      if (a.dy != 0) {
        f.y = kStandY - 100;
        f.og = 0;
        f.dy = a.dy;
      }
      const int x0 = f.x, y0 = f.y;
      const Extent& e = kHitExtent[kind];
      int cx = x0, cy = y0 + 4;
      if (a.place == kAbove) cy = y0 + 18 - e.top;
      if (a.place == kBelow) cy = y0 - 18 - e.bottom;
      if (a.place == kAhead) cx = x0 + 10 - e.left, cy = y0;
      auto c = AddActiveCreature(kind, cx, cy, a.cdir);
      Key(kKeyRight, a.run);
      Update();
      Key(kKeyRight, false);

      const Outcome expected = kind % 3 == 1 ? a.walker : kind % 3 == 2 ? a.mover : a.crawler;
      EXPECT_EQ(5 - health, expected == kHurt ? 1 : 0) << what;
      EXPECT_EQ((kind > 3 ? 3 : 1) - c->hl, expected == kHurt ? 0 : 1) << what;
      EXPECT_EQ(f.dy == -12, expected == kStrikeBounce) << what;
      // Creatures stop vertical steps but never horizontal ones.
      const int steps = a.act == kFigDashing ? 4 : a.run ? 3 : 0;
      EXPECT_EQ(f.x - x0, steps) << what;
      EXPECT_EQ(f.y - y0, a.place == kAbove ? 2 : a.place == kBelow ? -2 : 0) << what;
    }
  }
}

TEST_F(FigureTest, CoolDownsLetTheFigurePassThroughButNotPastDrops) {
  struct Case {
    const char* what;
    int fig_h, creature_h, creature_act;
  };
  const Case cases[] = {
      {"hurt figure", 1000, 0, 1},
      {"immune creature", 0, 1000, 1},
      {"waiting creature", 0, 0, 0},
  };
  for (const Case& k : cases) {
    creatures.Clear();
    health = 5;
    money = 0;
    TFig& f = Standing(400);
    f.y = kStandY - 100;
    f.og = 0;
    f.act = kFigFalling;
    f.dy = 9;
    f._h = k.fig_h;
    auto c = AddActiveCreature(4, 400, f.y + 24, 1);  // right under the figure
    c->_h = k.creature_h;
    c->act = k.creature_act;
    TDrp::Cr(kDropCoin, 400, f.y + 8);  // a coin in the way, old enough to take
    drops.ForEach([](TDrp& d) { d.tm = now - 500; });
    Update();
    EXPECT_EQ(f.y, kStandY - 100 + 10) << k.what;  // not stopped by the creature
    EXPECT_EQ(health, 5) << k.what;
    EXPECT_EQ(c->hl, 3) << k.what;
    EXPECT_EQ(money, 1) << k.what;
  }

  // A hit makes the figure immune for 100 updates of 20 ms; the 100th meets the creature again.
  creatures.Clear();
  health = 5;
  TFig& f = Standing(400);
  AddActiveCreature(3, 400, kStandY + 4, 1);
  Update();
  EXPECT_EQ(health, 4);
  for (int i = 1; i < 100; ++i) Update();
  EXPECT_EQ(health, 4);
  EXPECT_EQ(f._h, 20);
  Update();
  EXPECT_EQ(health, 3);
}

TEST_F(FigureTest, DirectionKeysAndRightWinsOverLeft) {
  struct Case {
    bool right, left;
    int start_dir;
    int dir, dx, act;
  };
  const Case cases[] = {
      {false, false, -1, -1, 0, 1},
      {true, false, -1, 1, 3, 2},
      {false, true, 1, -1, -3, 2},
      {true, true, -1, 1, 3, 2},
  };
  for (const Case& k : cases) {
    TFig& f = Standing(400);
    f.dir = k.start_dir;
    Key(kKeyRight, k.right);
    Key(kKeyLeft, k.left);
    Update();
    Key(kKeyRight, false);
    Key(kKeyLeft, false);
    EXPECT_EQ(f.dir, k.dir) << k.right << k.left;
    EXPECT_EQ(f.x - 400, k.dx) << k.right << k.left;
    EXPECT_EQ(f.act, k.act) << k.right << k.left;
  }
}

TEST_F(FigureTest, DownInTheAirDropsWithoutSidewaysMovementForOneUpdate) {
  struct Case {
    const char* what;
    int act, dy;
    int fall;  // pixels down in the update of the press
  };
  const Case cases[] = {
      {"rising jump", kFigJumping, -8, 2},
      {"rising spin", kFigSpinning, -3, 2},
      {"near the top", kFigJumping, 1, 2},
      {"falling fast", kFigFalling, 6, 7},
  };
  for (const Case& k : cases) {
    TFig& f = Standing(400);
    f.y = kStandY - 150;
    f.og = 0;
    f.act = k.act;
    f.dy = k.dy;
    Key(kKeyRight, true);
    Tap(kKeyDown);
    Update();
    EXPECT_EQ(f.act, kFigFalling) << k.what;
    EXPECT_EQ(f.fr, 0) << k.what;
    EXPECT_EQ(f.x, 400) << k.what;
    EXPECT_EQ(f.y - (kStandY - 150), k.fall) << k.what;
    Update();
    EXPECT_EQ(f.x, 403) << k.what;
    Tap(kKeyUp);  // falling accepts a spin jump
    Update();
    EXPECT_EQ(f.act, kFigSpinning) << k.what;
    Key(kKeyRight, false);
  }
}

TEST_F(FigureTest, BlockedStepsAreUndoneAndTheRestStillTried) {
  struct Case {
    int dir;
    bool dash;
    int room;  // free pixels between the figure's legs and the wall
    int moved;
  };
  const Case cases[] = {
      {1, false, 0, 0}, {1, false, 1, 1}, {1, false, 2, 2},   {1, false, 5, 3},
      {1, true, 1, 1},  {1, true, 3, 3},  {-1, false, 1, -1}, {-1, true, 2, -2},
  };
  constexpr int kWallColumn = 26;  // pixels 416..431
  for (const Case& k : cases) {
    for (int c = 0; c < kMapColumns; ++c) map[c][kFloorRow - 1] = 0;
    map[kWallColumn][kFloorRow - 1] = 1;
    // The legs box spans x - 8 .. x + 7.
    const int x0 = k.dir > 0 ? 16 * kWallColumn - 8 - k.room : 16 * (kWallColumn + 1) + 8 + k.room;
    TFig& f = Standing(x0);
    Key(k.dir > 0 ? kKeyRight : kKeyLeft, true);
    if (k.dash) Tap(kKeyDown);
    Update();
    Key(k.dir > 0 ? kKeyRight : kKeyLeft, false);
    EXPECT_EQ(f.x - x0, k.moved) << k.dir << " room " << k.room << (k.dash ? " dash" : "");
  }
}

TEST_F(FigureTest, RunningAndSpinFrameCyclesRunBothWays) {
  struct Case {
    const char* what;
    int key;    // held throughout
    int start;  // kKeyUp: spin jump from a jump, kKeyDown: dash, 0: run
    std::vector<int> frames;
  };
  const Case cases[] = {
      {"run right", kKeyRight, 0, {1, 2, 3, 4, 5, 6, 1, 2}},
      {"run left", kKeyLeft, 0, {1, 2, 3, 4, 5, 6, 1, 2}},
      {"spin right", kKeyRight, kKeyUp, {13, 12, 11, 10, 9, 8, 13}},
      {"spin left", kKeyLeft, kKeyUp, {9, 10, 11, 12, 13, 8, 9}},
      {"dash right", kKeyRight, kKeyDown, {13, 12, 11, 10, 9, 8}},
      {"dash left", kKeyLeft, kKeyDown, {9, 10, 11, 12, 13, 8}},
  };
  for (const Case& k : cases) {
    TFig& f = Standing(400);
    f.fr = 0;
    Key(k.key, true);
    if (k.start == kKeyUp) {
      Tap(kKeyUp);  // a jump, then up again in the air
      Update();
      Tap(kKeyUp);
    } else if (k.start == kKeyDown) {
      Update();  // running
      Tap(kKeyDown);
    }
    std::vector<int> frames;
    for (size_t i = 0; i < k.frames.size(); ++i) {
      Update();
      frames.push_back(f.fr);
    }
    Key(k.key, false);
    EXPECT_EQ(frames, k.frames) << k.what;
  }
}

TEST_F(FigureTest, MoverStruckFromBelowWhileRisingHurts) {
  health = 5;
  TFig& f = Standing(400);
  f.y = 300;
  f.og = 0;
  f.act = kFigSpinning;
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
  Key(kKeyRight, true);
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
  Key(kKeyRight, true);
  Update();
  EXPECT_EQ(f.x, 408);
  Update();
  EXPECT_EQ(f.x, 408);
  EXPECT_EQ(f.act, kFigRunning);
}

TEST_F(FigureTest, PicksUpDropsTouchedAfterHalfASecond) {
  TFig& f = Standing(400);
  TDrp::Cr(kDropCoin, 400, kStandY);
  TDrp::Cr(kDropAmmunition, 404, kStandY);
  drops.ForEach([](TDrp& d) { d.tm = now - 500; });
  Update();
  EXPECT_EQ(money, 1);
  EXPECT_EQ(stock[kAmmunition], 1);
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
  for (int act : {kFigStanding, kFigRunning, kFigJumping, kFigFalling, kFigSpinning, kFigDashing}) {
    rec.Clear();
    f.act = act;
    f.Dr();
    ASSERT_EQ(rec.quads.size(), 1u);
    const bool mirrored = rec.quads[0].vertices[1].x < rec.quads[0].vertices[0].x;
    EXPECT_EQ(mirrored, act == kFigRunning) << act;
    EXPECT_EQ(TDraw2DGraphics::Current()->tform_scale_x, 1.0f);
  }
}

}  // namespace
