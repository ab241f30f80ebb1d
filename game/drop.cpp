#include "game/drop.h"

#include <array>

#include "engine/graphics.h"
#include "engine/numbers.h"
#include "game/collision.h"
#include "game/colour.h"
#include "game/effects.h"
#include "game/globals.h"
#include "game/tables.h"

namespace {

constexpr int kSilhouette = 500;  // too young to be taken, drawn black
constexpr int kBlinkFrom = 4000;
constexpr int kLife = 6000;

// The roll r = Rand(0, 999) gives the kind (DropKind) of the first threshold that r lies below.
constexpr std::array<int, 7> kRewardThresholds = {500, 515, 555, 560, 600, 690, 705};

enum class Sheet { kSymbols, kWeapons };

struct DropLook {
  Sheet sheet;
  int bfr;
  int frs;
  int col;
};

// By DropKind.
constexpr std::array<DropLook, 7> kDropLooks = {{
    {Sheet::kSymbols, 24, 16, kYellow},                        // coin
    {Sheet::kSymbols, 8, 16, kSupplyColours[kHealingAgent]},   // healing agent
    {Sheet::kSymbols, 8, 16, kSupplyColours[kAmmunition]},     // ammunition
    {Sheet::kSymbols, 8, 16, kSupplyColours[kBlastingAgent]},  // blasting agent
    {Sheet::kWeapons, 0, 8, kSupplyColours[kHealingAgent]},    // healing item
    {Sheet::kWeapons, 8, 16, kSupplyColours[kAmmunition]},     // gun
    {Sheet::kWeapons, 24, 8, kSupplyColours[kBlastingAgent]},  // bomb
}};

}  // namespace

// Called by a dying creature, once per kill or ten times for the big kinds.
void Reward(int x, int y) {
  const int r = Rand(0, 999);
  for (int kind = 0; kind < static_cast<int>(kRewardThresholds.size()); ++kind) {
    if (r < kRewardThresholds[kind]) {
      TDrp::Cr(kind, x, y);
      break;
    }
  }
  score += 1;
}

// Only Reward creates drops, of a DropKind.
void TDrp::Cr(int kind, int x, int y) {
  auto drop = std::make_shared<TDrp>();
  drop->cl = kind;
  drop->x = x;
  drop->y = y;
  drop->dx = Rand(-3, 3);
  drop->dy = Rand(-7, -2);
  drop->tm = now;
  const DropLook& k = kDropLooks[kind];
  drop->img = (k.sheet == Sheet::kSymbols ? imgsymbols : imgweapons).get();
  drop->bfr = k.bfr;
  drop->frs = k.frs;
  drop->col = k.col;
  drops.AddLast(std::move(drop));
}

// Called by the play step in states 1 and 3; a drop may leave `drops` during the walk.
void TDrp::UA() {
  drops.ForEach([](TDrp& drop) { drop.U(); });
}

// Called by the play step and by the pause screen.
void TDrp::DrA() {
  drops.ForEach([](TDrp& drop) { drop.Dr(); });
}

void TDrp::U() {
  if (now - tm > kLife) {
    drops.Remove(this);
    return;
  }
  dy += 1;
  // Every pixel is tested on its own; a wall throws the drop back one pixel behind its start.
  for (int n = Abs(dx); n > 0; --n) {
    x += Sgn(dx);
    if (MapColl(unitbox, x, y)) {
      x -= 2 * Sgn(dx);
      dx = -dx;
    }
  }
  for (int n = Abs(dy); n > 0; --n) {
    y += Sgn(dy);
    if (!MapColl(unitbox, x, y)) continue;
    if (dy > 0) {  // landed: rest without sideways speed
      y -= 1;
      dx = 0;
      dy = 0;
      return;
    }
    y += 2;  // ceiling: turn downward with the same speed
    dy = -dy;
  }
}

void TDrp::Dr() {
  fr = (fr + 1) % frs;  // animates even while hidden
  SetCol(col);
  const int age = now - tm;
  if (age < kSilhouette) SetCol(kBlack);
  if (age > kBlinkFrom && (age - kBlinkFrom) / 100 % 2 == 1) return;
  DrawImage(*img, static_cast<float>(x), static_cast<float>(y), bfr + fr);
}

// Called by the figure's collision query for every drop it touches.
void TDrp::Ga() {
  if (now - tm < kSilhouette) return;
  switch (cl) {
    case kDropCoin: money += 1; break;
    case kDropHealingAgent: stock[kHealingAgent] += 1; break;
    case kDropAmmunition: stock[kAmmunition] += 1; break;
    case kDropBlastingAgent: stock[kBlastingAgent] += 1; break;
    case kDropHealingItem:
      item = kItemHealing;
      stock[kHealingAgent] += 1;
      break;
    case kDropGun:
      item = kItemGun;
      stock[kAmmunition] += 1;
      break;
    case kDropBomb:
      item = kItemBomb;
      stock[kBlastingAgent] += 1;
      break;
  }
  TGxC::Cr(x, y, col);
  drops.Remove(this);
}
