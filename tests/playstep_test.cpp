// The play step: keys, the play clock, the wave schedule, the draw order and the game-over overlay.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/list.h"
#include "engine/numbers.h"
#include "engine/platform.h"
#include "engine/platform/headless.h"
#include "engine/system.h"
#include "game/creature.h"
#include "game/effects.h"
#include "game/figure.h"
#include "game/font.h"
#include "game/globals.h"
#include "game/playstep.h"
#include "game/spawn.h"
#include "reference_rng.h"
#include "support/drawing_fixture.h"
#include "support/headless_run.h"
#include "support/recording_driver.h"
#include "support/world_fixture.h"

namespace {

class PlayStepTest : public DrawingWorldTest {
 protected:
  void SetUp() override {
    DrawingWorldTest::SetUp();
    ASSERT_TRUE(LoadGameFont());
    for (int c = 0; c < kMapColumns; ++c) map[c][30] = 1;
    spawns[0] = {{100, 464}, {300, 464}, {500, 464}};
    spawns[1] = {{200, 472}, {600, 472}};
    spawns[2] = {{400, 200}};
    spawns[3] = {{120, 472}, {220, 472}, {320, 472}, {420, 472}};
    spawns[4] = {{640, 464}};
    spawns[5] = {{400, 100}};
    spawns[6] = {{700, 464}};
    now = 3000;
  }
  static void Tap(int code) {
    headless::QueueEvent({platform::kEventKeyDown, code});
    headless::QueueEvent({platform::kEventKeyUp, code});
  }
  static void StartGame() {
    SpawnOne(kFigureGroup);
    gamestate = kPlaying;
    health = 5;
  }
  static void Frame() {
    now += 20;
    PlayStep();
  }
  bool FontDrawn() const {
    for (const RecordedQuad& q : rec.quads) {
      for (const TPixmapPtr& p : font->img->pixmaps) {
        if (q.pixmap == p.get()) return true;
      }
    }
    return false;
  }
};

TEST_F(PlayStepTest, SeededStartPlacesTheFigureAndTheFirstThreeCreatures) {
  for (int seed : {1, 99, 123456}) {
    ResetGlobals();
    SetUp();
    SeedRnd(seed);
    StartGame();
    PlayStep();  // the first played frame: a wave check at second 0

    ReferenceRng rng(seed);
    const T2D figure_at = spawns[0][rng.Rand(0, 2)];
    rng.SkipArrivalEffect();
    EXPECT_EQ(fig->x, figure_at.x) << seed;
    EXPECT_EQ(fig->y, figure_at.y) << seed;
    ASSERT_EQ(CountList(creatures), 3);
    creatures.ForEach([&](TCr& c) {
      const int r = rng.Rand(1, 10);
      const int kind = r <= 5 ? kWalker : r <= 9 ? kMover : kCrawler;
      const std::vector<T2D>& points = spawns[kind];
      const T2D at = points[rng.Rand(0, static_cast<int>(points.size()) - 1)];
      const int dir = rng.Rand(0, 1) == 0 ? -1 : 1;
      rng.SkipArrivalEffect();
      EXPECT_EQ(c.cl, kind) << seed;
      EXPECT_EQ(c.x, at.x) << seed;
      EXPECT_EQ(c.y, at.y) << seed;
      EXPECT_EQ(c.dir, dir) << seed;
    });
    EXPECT_EQ(RndState(), rng.State());
    EXPECT_EQ(nextwave, 6);
    EXPECT_EQ(playtime, 20);
  }
}

TEST_F(PlayStepTest, WaveScheduleByPlaySecond) {
  struct Case {
    int second, present;
    std::vector<int> spawned;  // kinds, or {0} for "some regular batch of three"
  };
  const Case cases[] = {
      {54, 0, {0, 0, 0}},
      {60, 0, {kBigWalker}},
      {66, 0, {0, 0, 0}},
      {120, 0, {kBigMover}},
      {180, 0, {kBigCrawler}},
      {240, 0, {kBigWalker, kBigWalker}},
      {420, 0, {kBigWalker, kBigWalker, kBigWalker}},
      {6, 19, {0}},
      {6, 20, {}},
      {200, 29, {0}},
      {200, 30, {}},
  };
  for (const Case& k : cases) {
    creatures.Clear();
    StartGame();
    for (int i = 0; i < k.present; ++i) TCr::Cr(kWalker, 10, 10);
    playtime = k.second * 1000 - 20;
    nextwave = k.second;
    PlayStep();
    EXPECT_EQ(nextwave, k.second + 6);
    std::vector<int> kinds;
    int i = 0;
    creatures.ForEach([&](TCr& c) {
      if (i++ >= k.present) kinds.push_back(c.cl);
    });
    ASSERT_EQ(kinds.size(), k.spawned.size()) << "second " << k.second;
    for (size_t j = 0; j < kinds.size(); ++j) {
      if (k.spawned[j] == 0) {
        EXPECT_GE(kinds[j], 1);
        EXPECT_LE(kinds[j], 3);
      } else {
        EXPECT_EQ(kinds[j], k.spawned[j]);
      }
    }
    // The next frames of the same second check nothing.
    const int count = CountList(creatures);
    Frame();
    EXPECT_EQ(CountList(creatures), count);
  }
}

TEST_F(PlayStepTest, PlayClockStandsStillWhilePausedAndAfterGameOver) {
  StartGame();
  Frame();
  EXPECT_EQ(playtime, 20);
  Tap(kKeyEscape);
  Tap(kKeySpace);
  Frame();  // escape pauses; the space press is flushed with it
  EXPECT_EQ(gamestate, kPaused);
  EXPECT_EQ(playtime, 20);
  EXPECT_EQ(KeyHit(kKeySpace), 0);
  Frame();
  EXPECT_EQ(playtime, 20);
  gamestate = kGameOver;
  Frame();
  Frame();
  EXPECT_EQ(playtime, 20);
}

TEST_F(PlayStepTest, GameOverLeavesOnceWithEscapeAndSpaceTogether) {
  testing_support::TempDir dir;
  char old[4096];
  ASSERT_TRUE(getcwd(old, sizeof old));
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  StartGame();
  score = 12;
  gamestate = kGameOver;
  Frame();
  EXPECT_EQ(gamestate, kGameOver);
  EXPECT_FALSE(testing_support::ReadFile("stats.dat"));
  Tap(kKeyEscape);
  Tap(kKeySpace);
  menusel = 3;
  Frame();
  EXPECT_EQ(gamestate, kMenu);
  EXPECT_EQ(menusel, 0);
  EXPECT_EQ(KeyHit(kKeySpace), 0);  // the menu will not see the space press
  EXPECT_EQ(highscore, 12);
  const auto saved = testing_support::ReadFile("stats.dat");
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->size(), 24u);
  EXPECT_EQ(static_cast<unsigned char>((*saved)[0]), 12);
  ASSERT_EQ(chdir(old), 0);
}

TEST_F(PlayStepTest, OverlayAppearsFromTheFrameAfterTheLastHit) {
  StartGame();
  fig->act = kFigStanding;
  fig->_h = 0;
  health = 1;
  auto crawler = std::make_shared<TCr>();
  crawler->cl = kCrawler;
  crawler->act = kCrActive;
  crawler->hl = 1;
  crawler->x = fig->x;
  crawler->y = fig->y + 4;
  creatures.AddLast(crawler);
  nextwave = 1000;  // no spawning here
  rec.Clear();
  Frame();
  EXPECT_EQ(gamestate, kGameOver);
  EXPECT_FALSE(FontDrawn());
  rec.Clear();
  Frame();
  EXPECT_TRUE(FontDrawn());
}

TEST_F(PlayStepTest, BombFlashTintsTheBackgroundAlone) {
  StartGame();
  nextwave = 1000;
  TCr::Cr(kWalker, 400, 472);
  creatures.ForEach([](TCr& c) { c.act = kCrActive; });
  struct Case {
    int left, grey;  // flashend - now, and the background's grey level
  };
  const Case cases[] = {{200, 0}, {128, 0}, {100, 55}, {1, 253}, {0, 255}};
  for (const Case& k : cases) {
    flashend = now + 20 + k.left;
    rec.Clear();
    Frame();
    ASSERT_GE(rec.quads.size(), 2u);
    EXPECT_EQ(rec.quads[0].pixmap, bg->pixmaps[0].get());
    EXPECT_EQ(rec.quads[0].red, k.grey) << k.left;
    EXPECT_EQ(rec.quads[0].green, k.grey) << k.left;
    const RecordedQuad& creature = rec.quads[1];
    EXPECT_EQ(creature.red, 0xFF);
    EXPECT_EQ(creature.blue, 0xF0);
  }
}

TEST_F(PlayStepTest, SpaceUsesOnlyAnItemWithSupplies) {
  StartGame();
  nextwave = 1000;
  effects.Clear();
  for (int held : {kNoItem, kItemGun}) {
    item = held;
    stock = {0, 0, 0};
    Tap(kKeySpace);
    Frame();
    EXPECT_EQ(CountList(effects), 0);
  }
  item = kItemGun;
  stock = {0, 2, 0};
  Tap(kKeySpace);
  Frame();
  EXPECT_EQ(stock[kAmmunition], 1);
  EXPECT_GT(CountList(effects), 0);
}

TEST_F(PlayStepTest, EmptyOrUnknownSpawnGroupSpawnsNothing) {
  spawns[2].clear();
  SeedRnd(5);
  const int state = RndState();
  SpawnOne(kMover);
  SpawnOne(7);
  SpawnOne(-1);
  EXPECT_EQ(CountList(creatures), 0);
  EXPECT_EQ(RndState(), state);
}

}  // namespace
