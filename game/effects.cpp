#include "game/effects.h"

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/numbers.h"
#include "game/colour.h"
#include "game/globals.h"

namespace {

constexpr int kParticles = 10;
constexpr int kLife = 1000;     // TGxS, TGxW, TGxD
constexpr int kGlowLife = 500;  // TGxC

// Effects remove themselves from `effects` while UA walks it; the walk keeps them alive meanwhile.
void Leave(TGx* effect) { effects.Remove(effect); }

// A new effect of class T centred on (x, y); the caller fills its own fields and appends it.
template <class T>
std::shared_ptr<T> NewEffect(int tm, int x, int y, int col) {
  auto effect = std::make_shared<T>();
  effect->tm = tm;
  effect->x = static_cast<float>(x);
  effect->y = static_cast<float>(y);
  effect->col = col;
  return effect;
}

}  // namespace

void TPar::U() {
  dy += 1;  // gravity acts before the move
  x += dx;
  y += dy;
}

void TPar::Dr() const {
  SetRotation(static_cast<float>(rot));
  DrawImage(*imgsymbols, x, y, fr);
  SetRotation(0);
}

// Called by the main loop once per frame in every game state, before DrA.
void TGx::UA() {
  effects.ForEach([](TGx& effect) { effect.U(); });
}

void TGx::DrA() {
  effects.ForEach([](TGx& effect) { effect.Dr(); });
}

// Called when the figure or a creature appears.
void TGxS::Cr(int x, int y, int col) {
  auto effect = NewEffect<TGxS>(now, x, y, col);
  effect->pa.resize(kParticles);
  for (TPar& p : effect->pa) {
    const int r = Rand(5, 32);
    const int a = Rand(0, 359);
    p.fr = 56 + Rand(0, 7);
    p.rot = Rand(0, 359);
    p.x = static_cast<float>(x + DegCos(a) * r);
    p.y = static_cast<float>(y + DegSin(a) * r);
  }
  effects.AddLast(std::move(effect));
}

void TGxS::U() {
  for (TPar& p : pa) {
    p.x = x + (p.x - x) * 0.95f;
    p.y = y + (p.y - y) * 0.95f;
  }
  if (now >= tm + kLife) Leave(this);
}

void TGxS::Dr() {
  SetAlpha(static_cast<float>((kLife - (now - tm)) * 0.001));
  SetCol(col);
  DrawImage(*imgglow, x, y, 0);
  SetAlpha(1);
  for (const TPar& p : pa) p.Dr();
}

// Called when the figure picks up a drop.
void TGxC::Cr(int x, int y, int col) {
  effects.AddLast(NewEffect<TGxC>(now + kGlowLife, x, y, col));  // tm holds the end time
}

void TGxC::U() {
  if (now > tm) Leave(this);
}

void TGxC::Dr() {
  SetCol(col);
  SetAlpha(static_cast<float>(tm - now) / kGlowLife);
  DrawImage(*imgglow, x, y, 0);
  SetAlpha(1);
}

// Called when the figure is hurt or healed and when a creature is struck.
void TGxW::Cr(int x, int y, int col) {
  auto effect = NewEffect<TGxW>(now, x, y, col);
  effect->pa.resize(kParticles);
  for (TPar& p : effect->pa) {
    p.fr = 48 + Rand(0, 7);
    p.rot = Rand(0, 359);
    p.x = static_cast<float>(x);
    p.y = static_cast<float>(y);
    p.dx = static_cast<float>(Rnd(-3, 3));
    p.dy = static_cast<float>(Rnd(-3, 1));
  }
  effects.AddLast(std::move(effect));
}

void TGxW::U() {
  for (TPar& p : pa) p.U();
  if (now >= tm + kLife) Leave(this);
}

void TGxW::Dr() {
  SetCol(col);
  for (const TPar& p : pa) p.Dr();
}

// Called for every position of a shot's path.
void TGxD::Cr(int x, int y, int col) {
  auto effect = NewEffect<TGxD>(now, x, y, col);
  constexpr double kDrift = 0.3f;  // the single-precision 0.3, widened
  effect->rot = static_cast<float>(Rand(0, 359));
  effect->drot = static_cast<float>(Rnd(-15, 15));
  effect->dx = static_cast<float>(Rnd(-kDrift, kDrift));
  effect->dy = static_cast<float>(Rnd(-kDrift, kDrift));
  effect->fr = Rand(0, 7);
  effects.AddLast(std::move(effect));
}

void TGxD::U() {
  if (now >= tm + kLife) Leave(this);
}

void TGxD::Dr() {
  // The drift happens per drawn frame, not per update.
  x += dx;
  y += dy;
  rot += drot;
  SetCol(col);
  SetRotation(rot);
  SetAlpha(1.0f - static_cast<float>(now - tm) / kLife);
  DrawImage(*imgsymbols, x, y, 56 + fr);
  SetAlpha(1);
  SetRotation(0);
}
