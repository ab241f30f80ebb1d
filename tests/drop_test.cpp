// The kill reward's thresholds, a drop's flight, landing, lifetime, drawing and pick-up.
#include <gtest/gtest.h>

#include <optional>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/list.h"
#include "engine/numbers.h"
#include "game/drop.h"
#include "game/effects.h"
#include "game/globals.h"
#include "reference_rng.h"
#include "support/drawing_fixture.h"
#include "support/recording_driver.h"
#include "support/world_fixture.h"

namespace {

class DropTest : public DrawingWorldTest {
 protected:
  void SetUp() override {
    DrawingWorldTest::SetUp();
    now = 10000;
  }
  static TDrp& Place(int kind, int x, int y, int dx, int dy) {
    TDrp::Cr(kind, x, y);
    TDrp& d = *drops.ObjectEnumerator().NextObject();
    d.dx = dx;
    d.dy = dy;
    return d;
  }
  static void Solid(int c0, int c1, int r0, int r1) {
    for (int c = c0; c <= c1; ++c)
      for (int r = r0; r <= r1; ++r) map[c][r] = 1;
  }
};

// The first seed from which the generator's first Rand(0, 999) gives r.
int SeedForRoll(int r) {
  for (int seed = 1;; ++seed) {
    if (ReferenceRng(seed).Rand(0, 999) == r) return seed;
  }
}

TEST_F(DropTest, RewardRollsTheKindAndAlwaysScores) {
  const std::pair<int, std::optional<int>> cases[] = {
      {0, 0},   {499, 0}, {500, 1}, {514, 1}, {515, 2}, {554, 2}, {555, 3},  {559, 3},
      {560, 4}, {599, 4}, {600, 5}, {689, 5}, {690, 6}, {704, 6}, {705, {}}, {999, {}},
  };
  for (const auto& [roll, kind] : cases) {
    drops.Clear();
    score = 7;
    const int seed = SeedForRoll(roll);
    SeedRnd(seed);
    Reward(300, 200);
    EXPECT_EQ(score, 8);
    ASSERT_EQ(CountList(drops), kind ? 1 : 0) << "roll " << roll;
    if (!kind) continue;
    TDrp& d = *drops.ObjectEnumerator().NextObject();
    ReferenceRng rng(seed);
    rng.Rand(0, 999);
    EXPECT_EQ(d.cl, *kind);
    EXPECT_EQ(d.dx, rng.Rand(-3, 3));
    EXPECT_EQ(d.dy, rng.Rand(-7, -2));
    EXPECT_EQ(d.x, 300);
    EXPECT_EQ(d.y, 200);
    EXPECT_EQ(d.tm, now);
  }
}

TEST_F(DropTest, KindsUseTheirSheetsFramesAndColours) {
  struct Case {
    int kind, bfr, frs, col;
    bool weapons;
  };
  const Case cases[] = {
      {0, 24, 16, 0xFFFF00, false}, {1, 8, 16, 0x00FF00, false}, {2, 8, 16, 0x00FFFF, false},
      {3, 8, 16, 0x0080FF, false},  {4, 0, 8, 0x00FF00, true},   {5, 8, 16, 0x00FFFF, true},
      {6, 24, 8, 0x0080FF, true},
  };
  for (const Case& k : cases) {
    drops.Clear();
    TDrp& d = Place(k.kind, 100, 100, 0, 0);
    EXPECT_EQ(d.bfr, k.bfr) << k.kind;
    EXPECT_EQ(d.frs, k.frs) << k.kind;
    EXPECT_EQ(d.col, k.col) << k.kind;
    EXPECT_EQ(d.img, (k.weapons ? imgweapons : imgsymbols).get()) << k.kind;
  }
}

TEST_F(DropTest, WallThrowsItBackWithTheSameSpeed) {
  Solid(20, 20, 0, 35);  // pixels 320..335; the drop's right edge is x + 7
  TDrp& d = Place(0, 310, 100, 3, -1);
  d.U();  // 311, 312, then 313 overlaps: back to 311, moving left
  EXPECT_EQ(d.x, 311);
  EXPECT_EQ(d.dx, -3);
  d.U();
  EXPECT_EQ(d.x, 308);
}

TEST_F(DropTest, CeilingTurnsItDownAndTheFloorStopsItDead) {
  Solid(0, 49, 10, 10);  // ceiling pixels 160..175; the drop's top is y - 8
  Solid(0, 49, 30, 30);  // floor pixels 480..495; the drop's bottom is y + 7
  TDrp& d = Place(0, 100, 186, 2, -5);
  d.U();  // dy -4: 185, 184, then 183 overlaps: back to 185, the last step runs down to 186
  EXPECT_EQ(d.dy, 4);
  EXPECT_EQ(d.y, 186);
  for (int i = 0; i < 40; ++i) d.U();
  EXPECT_EQ(d.y, 472);
  EXPECT_EQ(d.dx, 0);
  EXPECT_EQ(d.dy, 0);
  const int x = d.x;
  d.U();
  EXPECT_EQ(d.y, 472);
  EXPECT_EQ(d.x, x);
  EXPECT_EQ(d.dy, 0);
}

TEST_F(DropTest, ExpiresAfterSixSecondsOfTheClock) {
  Place(0, 100, 100, 0, 0);
  now += 6000;
  TDrp::UA();
  EXPECT_EQ(CountList(drops), 1);
  now += 1;
  TDrp::UA();
  EXPECT_EQ(CountList(drops), 0);
}

TEST_F(DropTest, PickUpGivesItsGainFromHalfASecondOn) {
  struct Case {
    int kind, money, s0, s1, s2, item;
  };
  const Case cases[] = {
      {kDropCoin, 1, 0, 0, 0, kItemBomb},           {kDropHealingAgent, 0, 1, 0, 0, kItemBomb},
      {kDropAmmunition, 0, 0, 1, 0, kItemBomb},     {kDropBlastingAgent, 0, 0, 0, 1, kItemBomb},
      {kDropHealingItem, 0, 1, 0, 0, kItemHealing}, {kDropGun, 0, 0, 1, 0, kItemGun},
      {kDropBomb, 0, 0, 0, 1, kItemBomb},
  };
  for (const Case& k : cases) {
    drops.Clear();
    effects.Clear();
    money = 0;
    stock = {0, 0, 0};
    item = kItemBomb;
    now = 10000;
    TDrp& d = Place(k.kind, 120, 130, 0, 0);
    const int col = d.col;  // the drop is released once taken
    now = 10499;
    d.Ga();
    EXPECT_EQ(CountList(drops), 1) << "too young";
    EXPECT_EQ(money + stock[kHealingAgent] + stock[kAmmunition] + stock[kBlastingAgent], 0);
    now = 10500;
    d.Ga();
    EXPECT_EQ(CountList(drops), 0) << k.kind;
    EXPECT_EQ(money, k.money) << k.kind;
    EXPECT_EQ(stock[kHealingAgent], k.s0) << k.kind;
    EXPECT_EQ(stock[kAmmunition], k.s1) << k.kind;
    EXPECT_EQ(stock[kBlastingAgent], k.s2) << k.kind;
    EXPECT_EQ(item, k.item) << k.kind;
    ASSERT_EQ(CountList(effects), 1);
    TGx& flash = *effects.ObjectEnumerator().NextObject();
    EXPECT_STREQ(flash.Cls(), "TGxC");
    EXPECT_EQ(flash.x, 120);
    EXPECT_EQ(flash.col, col);
  }
}

TEST_F(DropTest, DrawsASilhouetteFirstAndBlinksAtTheEnd) {
  TDrp& d = Place(0, 100, 100, 0, 0);
  struct Case {
    int age;
    bool drawn;
    int red;  // of the colour it is drawn in
  };
  const Case cases[] = {{0, true, 0},      {499, true, 0},   {500, true, 255}, {4000, true, 255},
                        {4099, true, 255}, {4100, false, 0}, {4199, false, 0}, {4200, true, 255},
                        {5999, false, 0},  {6000, true, 255}};
  int steps = 0;
  for (const Case& k : cases) {
    rec.Clear();
    now = d.tm + k.age;
    d.Dr();
    ++steps;
    EXPECT_EQ(d.fr, steps % 16) << "animates even when hidden";
    ASSERT_EQ(rec.quads.size(), k.drawn ? 1u : 0u) << "age " << k.age;
    if (!k.drawn) continue;
    EXPECT_EQ(rec.quads[0].red, k.red) << "age " << k.age;
    EXPECT_EQ(rec.quads[0].pixmap, imgsymbols->pixmaps[24 + d.fr].get());
  }
}

}  // namespace
