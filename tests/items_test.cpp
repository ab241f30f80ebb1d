// The three items: healing, the shot's ray and the bomb.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/image.h"
#include "engine/list.h"
#include "game/creature.h"
#include "game/effects.h"
#include "game/figure.h"
#include "game/globals.h"
#include "support/world_fixture.h"

namespace {

class ItemsTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    now = 5000;
    fig = std::make_shared<TFig>();
    fig->x = 200;
    fig->y = 300;
  }

  // The x of every shot trail particle, in order.
  static std::vector<float> Trail() {
    std::vector<float> xs;
    effects.ForEach([&](TGx& e) {
      if (std::string(e.Cls()) == "TGxD") xs.push_back(e.x);
    });
    return xs;
  }
};

TEST_F(ItemsTest, HealingSpendsAnAgentUpToTenHitPoints) {
  struct Case {
    int health, agents, health_after, agents_after, effects;
  };
  const Case cases[] = {{5, 2, 6, 1, 1}, {9, 1, 10, 0, 1}, {10, 3, 10, 3, 0}, {5, 0, 5, 0, 0}};
  for (const Case& k : cases) {
    effects.Clear();
    health = k.health;
    stock = {k.agents, 0, 0};
    fig->Hea();
    EXPECT_EQ(health, k.health_after);
    EXPECT_EQ(stock[kHealingAgent], k.agents_after);
    EXPECT_EQ(CountList(effects), k.effects);
  }
}

TEST_F(ItemsTest, ShotLeavingTheRangeStopsAfterOnePosition) {
  fig->x = 5;
  fig->dir = -1;
  stock = {0, 4, 0};
  fig->Sht();
  EXPECT_EQ(stock[kAmmunition], 3);
  EXPECT_EQ(Trail(), std::vector<float>{5});
}

TEST_F(ItemsTest, LongShotTestsAtMost101Positions) {
  fig->x = 0;
  stock = {0, 1, 0};
  fig->Sht();
  const std::vector<float> trail = Trail();
  ASSERT_EQ(trail.size(), 101u);
  EXPECT_EQ(trail.back(), 800);
  fig->Sht();  // no ammunition left
  EXPECT_EQ(Trail().size(), 101u);
}

TEST_F(ItemsTest, ShotStopsAtTheFirstWall) {
  map[20][18] = 1;  // pixels 320..335 by 288..303
  stock = {0, 1, 0};
  fig->Sht();  // from 200 in steps of 8: at 320 the box (312..327) first covers the wall
  const std::vector<float> trail = Trail();
  ASSERT_FALSE(trail.empty());
  EXPECT_EQ(trail.back(), 320);
  EXPECT_EQ(trail.size(), 16u);
}

TEST_F(ItemsTest, ShotStrikesEveryCreatureAtThePositionAndStops) {
  auto first = AddActiveCreature(1, 264, 300);
  auto second = AddActiveCreature(1, 266, 300);  // overlapping the first
  auto behind = AddActiveCreature(1, 400, 300);
  auto immune = AddActiveCreature(4, 232, 300);
  immune->_h = 2000;
  auto waiting = AddActiveCreature(4, 240, 300);
  waiting->act = kCrWaiting;
  stock = {0, 1, 0};
  score = 0;
  fig->Sht();
  EXPECT_EQ(CountList(creatures), 3);  // first and second died
  EXPECT_EQ(behind->act, kCrActive);
  EXPECT_EQ(immune->hl, 3);
  EXPECT_EQ(waiting->hl, 3);
  EXPECT_EQ(score, 2);
  const std::vector<float> trail = Trail();
  ASSERT_FALSE(trail.empty());
  EXPECT_LT(trail.back(), 264);
}

TEST_F(ItemsTest, BombStrikesEveryActiveCreatureOnce) {
  auto small = AddActiveCreature(1, 100, 100);
  auto mover = AddActiveCreature(2, 300, 100);
  auto big = AddActiveCreature(6, 500, 100);
  auto waiting = AddActiveCreature(4, 600, 100);
  waiting->act = kCrWaiting;
  stock = {0, 0, 1};
  fig->Bmb();
  EXPECT_EQ(stock[kBlastingAgent], 0);
  EXPECT_EQ(flashend, now + 200);
  EXPECT_EQ(CountList(creatures), 2);
  EXPECT_EQ(big->hl, 2);
  EXPECT_EQ(waiting->hl, 3);
  flashend = 0;
  fig->Bmb();  // none left
  EXPECT_EQ(flashend, 0);
  EXPECT_EQ(big->hl, 2);
}

}  // namespace
