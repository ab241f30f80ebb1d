// What each effect puts on screen over its life: sheet and frame, place, colour, alpha and
// rotation, and the drawing state it leaves for whatever is drawn next.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/list.h"
#include "engine/numbers.h"
#include "game/effects.h"
#include "game/globals.h"
#include "support/drawing_fixture.h"
#include "support/drawn.h"
#include "support/recording_driver.h"
#include "support/world_fixture.h"

namespace {

class EffectsDrawTest : public DrawingWorldTest {
 protected:
  void SetUp() override {
    DrawingWorldTest::SetUp();
    SeedRnd(2024);
    now = 5000;
  }
  template <class T>
  static T& Only() {
    return dynamic_cast<T&>(*effects.ObjectEnumerator().NextObject());
  }

  // Draws the only effect at `age` ms after its creation and returns what it drew.
  std::vector<Drawn> DrawnAt(int age) {
    now = 5000 + age;
    rec.Clear();
    TGx::DrA();
    return SeenBy(rec);
  }

  static std::vector<Drawn> Particles(const std::vector<TPar>& pa, int col) {
    std::vector<Drawn> out;
    for (const TPar& p : pa) {
      out.push_back(Sprite("imgsymbols", p.fr, p.x, p.y, col).Rotated(static_cast<float>(p.rot)));
    }
    return out;
  }
};

TEST_F(EffectsDrawTest, ArrivalGlowFadesOutOverASecondAboveItsTurnedParticles) {
  TGxS::Cr(100, 120, 0x123456);
  const TGxS& s = Only<TGxS>();
  for (int age : {0, 250, 600, 999}) {
    std::vector<Drawn> expected = {
        Sprite("imgglow", 0, 100, 120, 0x123456).Alpha((1000 - age) * 0.001f)};
    for (const Drawn& p : Particles(s.pa, 0x123456)) expected.push_back(p);
    EXPECT_EQ(DrawnAt(age), expected) << "age " << age;
    EXPECT_EQ(StateLeft(), RestoredState()) << "age " << age;
  }
}

TEST_F(EffectsDrawTest, PickUpGlowFadesOutOverHalfASecond) {
  TGxC::Cr(200, 220, 0x00FFFF);
  const struct {
    int age;
    float alpha;
  } cases[] = {{0, 1}, {100, 0.8f}, {250, 0.5f}, {499, 0.002f}, {500, 0}};
  for (const auto& k : cases) {
    const std::vector<Drawn> expected = {Sprite("imgglow", 0, 200, 220, 0x00FFFF).Alpha(k.alpha)};
    EXPECT_EQ(DrawnAt(k.age), expected) << "age " << k.age;
    EXPECT_EQ(StateLeft(), RestoredState()) << "age " << k.age;
  }
}

TEST_F(EffectsDrawTest, WoundParticlesFlyTurnedAtFullStrengthUntilTheEnd) {
  TGxW::Cr(300, 320, 0xFF00F0);
  TGxW& w = Only<TGxW>();
  for (int age : {0, 500, 999}) {
    for (TPar& p : w.pa) p.U();  // thrown out from the centre, wherever they fly
    EXPECT_EQ(DrawnAt(age), Particles(w.pa, 0xFF00F0)) << "age " << age;
    EXPECT_EQ(StateLeft(), RestoredState()) << "age " << age;
  }
}

TEST_F(EffectsDrawTest, ShotTrailDriftsTurnsAndFadesOverASecond) {
  TGxD::Cr(400, 420, 0x00FFFF);
  const TGxD& d = Only<TGxD>();
  for (int age : {0, 300, 999}) {
    // Each draw moves and turns the particle before drawing it.
    const Drawn expected = Sprite("imgsymbols", 56 + d.fr, d.x + d.dx, d.y + d.dy, 0x00FFFF)
                               .Rotated(d.rot + d.drot)
                               .Alpha(1 - age / 1000.0f);
    EXPECT_EQ(DrawnAt(age), std::vector<Drawn>{expected}) << "age " << age;
    EXPECT_EQ(StateLeft(), RestoredState()) << "age " << age;
  }
}

}  // namespace
