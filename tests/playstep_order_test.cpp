// The order inside a played frame: the background first, the figure updated before the drops and
// the creatures, everything updated before anything is drawn, and then drops, creatures, figure.
// And the layers of a whole frame in each game state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/graphics.h"
#include "engine/list.h"
#include "engine/numbers.h"
#include "game/creature.h"
#include "game/drop.h"
#include "game/effects.h"
#include "game/figure.h"
#include "game/font.h"
#include "game/globals.h"
#include "game/playstep.h"
#include "game/startup.h"
#include "support/drawing_fixture.h"
#include "support/drawn.h"
#include "support/recording_driver.h"
#include "support/world_fixture.h"

namespace {

constexpr int kFloorRow = 30;  // pixels 480..495
constexpr int kWalkerColour = 0xFF00F0, kFigureColour = 0x00F0FF;

class PlayStepOrderTest : public DrawingWorldTest {
 protected:
  void SetUp() override {
    DrawingWorldTest::SetUp();
    for (int c = 0; c < kMapColumns; ++c) map[c][kFloorRow] = 1;
    gamestate = kPlaying;
    nextwave = 1000;  // no wave in these frames
    now = 10000;
    TFig::Cr(400, 400);
    fig->act = kFigFalling;
    rec.Clear();
  }
};

TEST_F(PlayStepOrderTest, BackgroundThenDropsCreaturesAndFigureEachWhereItsUpdateLeftIt) {
  fig->dy = 3;
  TCr::Cr(kWalker, 200, 472);
  TCr& walker = *creatures.ObjectEnumerator().NextObject();
  walker.act = kCrActive;
  walker.dir = 1;
  walker.ftm = now;  // steps right and animates in its update
  TDrp::Cr(kDropCoin, 600, 300);
  TDrp& coin = *drops.ObjectEnumerator().NextObject();
  coin.tm = now - 1000;
  coin.dx = 2;
  coin.dy = 0;
  PlayStep();
  const std::vector<Drawn> expected = {
      Sprite("bg", 0, 0, 0, 0xFFFFFF),
      Sprite("imgsymbols", 24 + 1, 602, 301, 0xFFFF00),
      Sprite("imgcrea", 1, 201, 472, kWalkerColour),
      Sprite("imgfig", 0, 400, 404, kFigureColour),
  };
  EXPECT_EQ(SeenBy(rec), expected);
}

// The figure falls onto two big walkers: one survives the stomp, the other (on its last hit point)
// pays ten rewards. Updated after the figure, the survivor has cooled down by one update, which
// shows as its first white blink, and the new drops have already sprung up from where it died.
TEST_F(PlayStepOrderTest, FigureIsUpdatedBeforeTheDropsAndTheCreatures) {
  SeedRnd(7);
  fig->y = 432;  // legs 432..447, one pixel above the walkers' heads
  auto survivor = AddActiveCreature(kBigWalker, 400, 464, 1);
  auto dying = AddActiveCreature(kBigWalker, 400, 464, 1);
  dying->hl = 1;
  PlayStep();
  ASSERT_EQ(CountList(creatures), 1);
  int drops_seen = 0;
  for (const Drawn& d : SeenBy(rec)) {
    if (d.what.rfind("imgcrea", 0) == 0) {
      EXPECT_EQ(d.colour, 0xFFFFFF) << "the survivor's cool-down ran in this frame";
      EXPECT_EQ(d.x, 401);
    }
    if (d.colour == 0) {  // a drop younger than half a second
      ++drops_seen;
      EXPECT_LT(d.y, 464) << d.what << " has not moved since it was dropped";
    }
  }
  EXPECT_GT(drops_seen, 0);
  EXPECT_EQ(survivor->hl, 2);
}

// What each layer of a whole frame is recognised by.
std::string LayerOf(const Drawn& d) {
  if (d.what == "bg 0") return "level";
  if (d.what == "imgglow 0") return "effects";
  if (d.what.rfind("imgsymbolsbig", 0) == 0 && d.x == 32 && d.y == 20) return "HUD";  // money
  if (d.what == "text \"BRING IT ON!\"") return "menu";
  if (d.what == "text \"continue game\"") return "pause lines";
  if (d.what == "text \"You're done.\"") return "game-over lines";
  return "";
}

TEST_F(PlayStepOrderTest, WholeFrameStartsAlphaBlendedAndClearAndLayersByState) {
  ASSERT_TRUE(LoadGameFont());
  struct Case {
    int state;
    std::vector<std::string> layers;
  };
  // While paused the frozen world is drawn over the effects and the HUD.
  const Case cases[] = {
      {kMenu, {"effects", "HUD", "menu"}},
      {kPlaying, {"level", "effects", "HUD"}},
      {kPaused, {"effects", "HUD", "level", "pause lines"}},
      {kGameOver, {"level", "game-over lines", "effects", "HUD"}},
  };
  for (const Case& k : cases) {
    effects.Clear();
    TGxC::Cr(50, 50, 0xFFFF00);
    gamestate = k.state;
    SetBlend(kBlendMask);
    rec.Clear();
    DrawFrame();
    ASSERT_GE(rec.calls.size(), 2u);
    EXPECT_EQ(rec.calls[0].name, "SetBlend");
    EXPECT_EQ(rec.calls[0].args, std::vector<float>{kBlendAlpha});
    EXPECT_EQ(rec.calls[1].name, "Cls");
    std::vector<std::string> layers;
    for (const Drawn& d : SeenBy(rec)) {
      const std::string layer = LayerOf(d);
      if (!layer.empty() && (layers.empty() || layers.back() != layer)) layers.push_back(layer);
    }
    EXPECT_EQ(layers, k.layers) << "state " << k.state;
  }
}

}  // namespace
