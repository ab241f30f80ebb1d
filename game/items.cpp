// The three items the figure can use: healing agent, gun and bomb. Called by the play step on
// space.
#include "engine/list.h"
#include "game/collision.h"
#include "game/colour.h"
#include "game/creature.h"
#include "game/effects.h"
#include "game/figure.h"
#include "game/globals.h"
#include "game/tables.h"

namespace {

constexpr int kMaxHealth = 10;
constexpr int kShotStep = 8;
constexpr int kShotMaxX = 800;

}  // namespace

void TFig::Hea() {
  if (health >= kMaxHealth || stock[kHealingAgent] <= 0) return;
  stock[kHealingAgent] -= 1;
  health += 1;
  TGxW::Cr(x, y, kSupplyColours[kHealingAgent]);
}

// The ray is resolved within the call; each position tested leaves a drifting particle.
void TFig::Sht() {
  if (stock[kAmmunition] <= 0) return;
  stock[kAmmunition] -= 1;
  int rx = x;
  const int ry = y;
  bool hit = false;
  do {
    creatures.ForEach([&](TCr& c) {
      if (c._h != 0 || c.act <= kCrWaiting) return;
      if (BoxColl(unitbox, rx, ry, c.CBox(kHitBoxes), c.x, c.y)) {
        c.Kill();
        hit = true;  // others at the same position are struck too
      }
    });
    if (MapColl(unitbox, rx, ry)) hit = true;
    TGxD::Cr(rx, ry, kSupplyColours[kAmmunition]);
    rx += dir * kShotStep;
  } while (!hit && rx >= 0 && rx <= kShotMaxX);
}

// Kill itself passes over waiting and immune creatures.
void TFig::Bmb() {
  if (stock[kBlastingAgent] <= 0) return;
  stock[kBlastingAgent] -= 1;
  creatures.ForEach([](TCr& c) { c.Kill(); });
  flashend = now + 200;
}
