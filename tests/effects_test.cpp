// Effects: random draws in their order, contraction, gravity, fades and removal times.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/numbers.h"
#include "game/effects.h"
#include "game/globals.h"
#include "reference_rng.h"
#include "support/world_fixture.h"

namespace {

class EffectsTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    now = 1000;
  }

  template <class T>
  static T& Only() {
    EXPECT_EQ(CountList(effects), 1);
    return dynamic_cast<T&>(*effects.ObjectEnumerator().NextObject());
  }
  static void Frame(int at) {
    now = at;
    TGx::UA();
    TGx::DrA();
  }
  static TDraw2DGraphics& State() { return *TDraw2DGraphics::Current(); }
};

double Radians(int degrees) { return degrees * 0.017453292519943295; }

TEST_F(EffectsTest, ArrivalParticlesFollowTheDrawsAndContractTowardTheCentre) {
  SeedRnd(777);
  ReferenceRng rng(777);
  TGxS::Cr(100, 100, 0x00F0FF);
  TGxS& s = Only<TGxS>();
  ASSERT_EQ(s.pa.size(), 10u);
  std::vector<double> start_distance;
  for (const TPar& p : s.pa) {
    const int r = rng.Rand(5, 32);
    const int a = rng.Rand(0, 359);
    EXPECT_EQ(p.fr, 56 + rng.Rand(0, 7));
    EXPECT_EQ(p.rot, rng.Rand(0, 359));
    EXPECT_EQ(p.x, static_cast<float>(100 + std::cos(Radians(a)) * r));
    EXPECT_EQ(p.y, static_cast<float>(100 + std::sin(Radians(a)) * r));
    EXPECT_EQ(p.dx, 0);
    start_distance.push_back(std::hypot(p.x - 100.0, p.y - 100.0));
  }
  EXPECT_EQ(RndState(), rng.State());  // exactly 40 draws

  const float first_x = s.pa[0].x;
  Frame(1000);  // created this frame: updated at age 0
  EXPECT_EQ(s.pa[0].x, 100.0f + (first_x - 100.0f) * 0.95f);
  for (int t = 1020; t < 2000; t += 20) Frame(t);
  ASSERT_EQ(CountList(effects), 1);
  for (size_t i = 0; i < s.pa.size(); ++i) {
    const double d = std::hypot(s.pa[i].x - 100.0, s.pa[i].y - 100.0);
    EXPECT_GT(d, 0);
    EXPECT_LT(d, start_distance[i] * 0.1);
  }
  Frame(2000);
  EXPECT_EQ(CountList(effects), 0);
}

TEST_F(EffectsTest, WoundAndDriftDrawInTheirOrder) {
  SeedRnd(4242);
  ReferenceRng rng(4242);
  TGxW::Cr(50, 60, 0xFF00F0);
  TGxD::Cr(70, 80, 0x00FFFF);
  auto e = effects.ObjectEnumerator();
  auto& w = dynamic_cast<TGxW&>(*e.NextObject());
  auto& d = dynamic_cast<TGxD&>(*e.NextObject());
  for (const TPar& p : w.pa) {
    EXPECT_EQ(p.fr, 48 + rng.Rand(0, 7));
    EXPECT_EQ(p.rot, rng.Rand(0, 359));
    EXPECT_EQ(p.x, 50);
    EXPECT_EQ(p.y, 60);
    EXPECT_EQ(p.dx, static_cast<float>(rng.Rnd(-3, 3)));
    EXPECT_EQ(p.dy, static_cast<float>(rng.Rnd(-3, 1)));
  }
  EXPECT_EQ(d.rot, static_cast<float>(rng.Rand(0, 359)));
  EXPECT_EQ(d.drot, static_cast<float>(rng.Rnd(-15, 15)));
  const double drift = 0.3f;
  EXPECT_EQ(d.dx, static_cast<float>(rng.Rnd(-drift, drift)));
  EXPECT_EQ(d.dy, static_cast<float>(rng.Rnd(-drift, drift)));
  EXPECT_EQ(d.fr, rng.Rand(0, 7));
  EXPECT_EQ(RndState(), rng.State());
}

TEST_F(EffectsTest, ParticleRisesThenFallsUnderGravity) {
  TPar p;
  p.y = 100;
  p.dy = -3;
  const float expected[] = {98, 97, 97, 98, 100, 103};
  for (float y : expected) {
    p.U();
    EXPECT_EQ(p.y, y);
  }
}

TEST_F(EffectsTest, LifetimesEndAtTheirStatedTimes) {
  struct Case {
    void (*create)(int, int, int);
    int last_alive;  // the last `now` at which UA keeps the effect
  };
  const Case cases[] = {{TGxS::Cr, 1999}, {TGxC::Cr, 1500}, {TGxW::Cr, 1999}, {TGxD::Cr, 1999}};
  for (const Case& c : cases) {
    effects.Clear();
    now = 1000;
    c.create(10, 10, 0xFFFFFF);
    Frame(c.last_alive);
    EXPECT_EQ(CountList(effects), 1) << Only<TGx>().Cls();
    Frame(c.last_alive + 1);
    EXPECT_EQ(CountList(effects), 0);
  }
}

TEST_F(EffectsTest, SeveralExpireInOneWalkAndTheOthersStillUpdate) {
  TGxD::Cr(0, 0, 0);
  now = 1500;
  TGxW::Cr(0, 0, 0);
  now = 1000;
  TGxD::Cr(0, 0, 0);
  TGxW& w = dynamic_cast<TGxW&>(*[] {
    auto e = effects.ObjectEnumerator();
    e.NextObject();
    return e.NextObject();
  }());
  Frame(2000);
  ASSERT_EQ(CountList(effects), 1);
  EXPECT_EQ(effects.ObjectEnumerator().NextObject().get(), &w);
  EXPECT_EQ(w.pa[0].x, w.pa[0].dx);  // moved once by that walk
}

TEST_F(EffectsTest, DrawingRestoresAlphaAndRotation) {
  TGxS::Cr(10, 10, 0xFF0000);
  TGxC::Cr(10, 10, 0x00FF00);
  TGxW::Cr(10, 10, 0x0000FF);
  TGxD::Cr(10, 10, 0x00FFFF);
  for (int t = 1000; t <= 1400; t += 100) {
    now = t;
    effects.ForEach([](TGx& e) {
      e.Dr();
      EXPECT_EQ(State().color_alpha, 1.0f) << e.Cls();
      EXPECT_EQ(State().tform_rot, 0.0f) << e.Cls();
    });
  }
}

TEST_F(EffectsTest, DriftMovesPerDrawnFrame) {
  TGxD::Cr(70, 80, 0);
  TGxD& d = Only<TGxD>();
  const float x0 = d.x, rot0 = d.rot;
  d.U();
  EXPECT_EQ(d.x, x0);
  d.Dr();
  d.Dr();
  EXPECT_FLOAT_EQ(d.x, x0 + 2 * d.dx);
  EXPECT_FLOAT_EQ(d.rot, rot0 + 2 * d.drot);
  EXPECT_LE(std::abs(d.dx), 0.3f);
  EXPECT_LE(std::abs(d.drot), 15.0f);
}

}  // namespace
