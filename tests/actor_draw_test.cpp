// What creatures, the figure and drops put on screen: sheet, frame, place, colour, mirroring, the
// blink and the life pips, and the drawing state each leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/graphics.h"
#include "engine/list.h"
#include "game/creature.h"
#include "game/drop.h"
#include "game/figure.h"
#include "game/globals.h"
#include "support/drawing_fixture.h"
#include "support/drawn.h"
#include "support/recording_driver.h"
#include "support/world_fixture.h"

namespace {

constexpr int kWhite = 0xFFFFFF;

class ActorDrawTest : public DrawingWorldTest {
 protected:
  void SetUp() override {
    DrawingWorldTest::SetUp();
    gamestate = kPlaying;
    now = 10000;
  }
};

TEST_F(ActorDrawTest, CreaturesOfEveryKindFacingEitherWayWaitingAwakeAndBlinking) {
  struct Kind {
    int cl, bfr, col;
    bool walker;    // eight frames; the others use four
    bool mirrored;  // walkers and crawlers face their direction, movers never
    bool pips;      // the big kinds show their hit points
  };
  const Kind kinds[] = {
      {kWalker, 0, 0xFF00F0, true, true, false},     {kMover, 8, 0xFF005A, false, false, false},
      {kCrawler, 12, 0xFF5A00, false, true, false},  {kBigWalker, 16, 0xFF00F0, true, true, true},
      {kBigMover, 24, 0xFF005A, false, false, true}, {kBigCrawler, 28, 0xFF5A00, false, true, true},
  };
  struct Phase {
    const char* name;
    int act, cool_down, hit_points;  // hit points for the big kinds
    bool white;
  };
  const Phase phases[] = {
      {"waiting", kCrWaiting, 0, 3, false},
      {"awake", kCrActive, 0, 3, false},
      {"just hit", kCrActive, 2000, 2, false},
      {"blink, white", kCrActive, 1900, 2, true},
      {"blink, own colour", kCrActive, 1800, 1, false},
      {"last white blink", kCrActive, 150, 1, true},
      {"last blink over", kCrActive, 50, 1, false},
  };
  for (const Kind& k : kinds) {
    for (int dir : {1, -1}) {
      for (const Phase& p : phases) {
        creatures.Clear();
        TCr::Cr(k.cl, 400, 300);
        TCr& c = *creatures.ObjectEnumerator().NextObject();
        c.act = p.act;
        c.dir = dir;
        c._h = p.cool_down;
        if (k.pips) c.hl = p.hit_points;
        c.fr = 6;
        rec.Clear();
        TCr::DrA();

        std::vector<Drawn> expected;
        if (p.act == kCrActive) {
          const int frame = k.bfr + (k.walker ? 6 : 6 % 4);
          Drawn body = Sprite("imgcrea", frame, 400, 300, p.white ? kWhite : k.col);
          expected.push_back(k.mirrored && dir < 0 ? body.Mirrored() : body);
          for (int i = 0; k.pips && i < p.hit_points; ++i) {
            expected.push_back(Sprite("imgsymbols", 0, 400 + (i - 1) * 10, 300 - 24, 0xFF0000));
          }
        }
        const std::string row =
            "kind " + std::to_string(k.cl) + ", dir " + std::to_string(dir) + ", " + p.name;
        EXPECT_EQ(SeenBy(rec), expected) << row;
        EXPECT_EQ(StateLeft(), RestoredState()) << row;
      }
    }
  }
}

TEST_F(ActorDrawTest, FigureShowsItsFrameWhereItStandsInEveryState) {
  struct Case {
    int act, fr;
  };
  const Case cases[] = {{kFigStanding, 0}, {kFigRunning, 4},   {kFigJumping, 7},
                        {kFigFalling, 0},  {kFigSpinning, 11}, {kFigDashing, 9}};
  TFig::Cr(300, 200);
  for (const Case& k : cases) {
    for (int dir : {1, -1}) {
      fig->act = k.act;
      fig->fr = k.fr;
      fig->dir = dir;
      rec.Clear();
      fig->Dr();
      const Drawn body = Sprite("imgfig", k.fr, 300, 200, 0x00F0FF);
      // Only the running cycle turns with the figure; the spin frames show the way by their order.
      const std::vector<Drawn> expected = {k.act == kFigRunning && dir < 0 ? body.Mirrored()
                                                                           : body};
      EXPECT_EQ(SeenBy(rec), expected) << "state " << k.act << ", dir " << dir;
      EXPECT_EQ(StateLeft(), RestoredState()) << "state " << k.act << ", dir " << dir;
    }
  }
}

TEST_F(ActorDrawTest, DropsOfEveryKindDarkWhileYoungThenInTheirColour) {
  struct Kind {
    int cl;
    const char* sheet;
    int bfr, frs, col;
  };
  const Kind kinds[] = {
      {kDropCoin, "imgsymbols", 24, 16, 0xFFFF00},
      {kDropHealingAgent, "imgsymbols", 8, 16, 0x00FF00},
      {kDropAmmunition, "imgsymbols", 8, 16, 0x00FFFF},
      {kDropBlastingAgent, "imgsymbols", 8, 16, 0x0080FF},
      {kDropHealingItem, "imgweapons", 0, 8, 0x00FF00},
      {kDropGun, "imgweapons", 8, 16, 0x00FFFF},
      {kDropBomb, "imgweapons", 24, 8, 0x0080FF},
  };
  for (const Kind& k : kinds) {
    for (int age : {100, 2000}) {
      drops.Clear();
      TDrp::Cr(k.cl, 150, 250);
      TDrp& d = *drops.ObjectEnumerator().NextObject();
      d.tm = now - age;
      d.fr = 7;  // the next step wraps the eight-frame items, not the others
      rec.Clear();
      TDrp::DrA();
      const std::vector<Drawn> expected = {
          Sprite(k.sheet, k.bfr + 8 % k.frs, 150, 250, age < 500 ? 0 : k.col)};
      EXPECT_EQ(SeenBy(rec), expected) << "kind " << k.cl << ", age " << age;
    }
  }
}

}  // namespace
