#include "game/figure.h"

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/numbers.h"
#include "engine/system.h"
#include "game/collision.h"
#include "game/colour.h"
#include "game/creature.h"
#include "game/drop.h"
#include "game/effects.h"
#include "game/globals.h"
#include "game/tables.h"

namespace {

constexpr int kColour = 0x00F0FF;
constexpr int kDashTime = 120;

// A closed level never needs more vertical steps than its height; the cap keeps a figure that has
// left the level from making every update slower than the last.
constexpr int kMaxFallSteps = kMapRows * kCellSize;

}  // namespace

// Called by SpawnOne for group 0 when a game starts.
void TFig::Cr(int x, int y) {
  fig = std::make_shared<TFig>();
  fig->act = kFigWaiting;
  fig->tm = now;
  fig->x = x;
  fig->y = y;
  TGxS::Cr(x, y, kColour);
}

// Called by the play step every frame in states 1 and 3, before the drops and the creatures.
void TFig::U() {
  if (gamestate != kPlaying) return;
  if (act == kFigWaiting) {
    if (now >= tm + kAppearWait) act = kFigStanding;
  } else {
    _h = Max(0, _h - kUpdateMs);
    dy += 1;
    if (act == kFigDashing && now >= tm) act = kFigStanding;
    if (act != kFigDashing) {  // a dash cannot be steered
      if (KeyDown(kKeyRight)) {
        dir = 1;
        dx = 3;
        if (act == kFigStanding) fr = 0;
        if (og == 1) act = kFigRunning;
      } else if (KeyDown(kKeyLeft)) {
        dir = -1;
        dx = -3;
        if (act == kFigStanding) fr = 0;
        if (og == 1) act = kFigRunning;
      } else {
        dx = 0;
        if (og == 1) act = kFigStanding;
      }
    }
    // Standing on the ground or running: where a jump or a dash can start.
    const auto may_start = [this] {
      return (og == 1 && act == kFigStanding) || act == kFigRunning;
    };
    if (KeyHit(kKeyUp)) {
      if (may_start()) {
        Jmp(kFigJumping);
      } else if ((og == 0 && act == kFigJumping) || act == kFigFalling) {
        Jmp(kFigSpinning);
      }
    }
    if (KeyHit(kKeyDown)) {
      if (may_start()) {
        dx = dir * 4;
        fr = 8;
        tm = now + kDashTime;
        act = kFigDashing;
      } else {
        if (dy < 2) dy = 2;
        dx = 0;
        act = kFigFalling;
      }
    }
  }

  switch (act) {
    case kFigStanding:
    case kFigFalling: fr = 0; break;
    case kFigRunning: fr = fr % 6 + 1; break;
    case kFigSpinning:
    case kFigDashing:
      dx = Sgn(dx) * 4;
      fr = (fr - 2 - dir) % 6 + 8;  // the spin cycle's order shows the direction
      break;
  }

  const int y0 = y;
  cllc.Clear();
  // Every pixel is tested on its own; a blocked horizontal step is undone but the rest still run.
  for (int n = Abs(dx); n > 0; --n) {
    x += Sgn(dx);
    Coll();
    if (cll & kCllSolid) x -= Sgn(dx);
  }
  og = 0;
  for (int n = Min(Abs(dy), kMaxFallSteps); n > 0; --n) {
    y += Sgn(dy);
    Coll();
    if (cll != 0) {  // a solid cell or a creature stops the vertical move
      y -= Sgn(dy);
      if ((cll & kCllSolid) && dy > 0) og = 1;
      dy = 0;
    }
  }
  const int dym = y - y0;

  for (TListEnum<TCr> e = cllc.ObjectEnumerator(); e.HasNext();) {
    std::shared_ptr<TCr> c = e.NextObject();
    if (!c) continue;
    switch (c->cl) {
      case kWalker:
      case kBigWalker:
        if (act == kFigSpinning) {
          c->Kill();
          Jmp(kFigJumping);
        } else if (act == kFigDashing) {
          c->Kill();
        } else if (dym < 0 || act == kFigStanding || act == kFigRunning) {
          Hrt();
        } else {
          c->Kill();
          Jmp(kFigJumping);
        }
        break;
      case kMover:
      case kBigMover:
        if (act == kFigSpinning && y < c->y) {
          c->Kill();
          Jmp(kFigJumping);
        } else if (act == kFigDashing) {
          c->Kill();
        } else if (dym < 0 || ((act == kFigStanding || act == kFigRunning) && c->dir > 0)) {
          Hrt();
        } else if ((act == kFigStanding || act == kFigRunning) && c->dir < 0) {
          c->Kill();
        } else {
          c->Kill();
          Jmp(kFigJumping);
        }
        break;
      default:  // crawlers and anything else
        Hrt();
        break;
    }
  }

  if (act != kFigSpinning && og == 0 && dym > 0) {
    fr = 0;
    act = kFigFalling;
  }
}

// Called by the play step after the creatures are drawn, and by the pause screen.
void TFig::Dr() {
  if (gamestate == kGameOver || act <= kFigWaiting) return;
  if (act == kFigRunning)
    SetScale(static_cast<float>(dir), 1);  // only the running cycle is mirrored
  SetCol(BlinkColour(_h, kColour));
  DrawImage(*imgfig, static_cast<float>(x), static_cast<float>(y), fr);
  SetScale(1, 1);
}

// Called by U at every pixel step.
void TFig::Coll() {
  cll = 0;
  if (_h == 0) {
    for (TListEnum<TCr> e = creatures.ObjectEnumerator(); e.HasNext();) {
      std::shared_ptr<TCr> c = e.NextObject();
      if (!c || c->_h != 0 || c->act <= kCrWaiting) continue;
      if (BoxColl(figboxes, x, y, c->CBox(kHitBoxes), c->x, c->y)) {
        cll |= kCllCreature;
        cllc.AddLast(std::move(c));
      }
    }
  }
  drops.ForEach([this](TDrp& d) {
    if (BoxColl(figboxes, x, y, unitbox, d.x, d.y)) d.Ga();
  });
  if (MapColl(figboxes, x, y)) cll |= kCllSolid;
}

void TFig::Jmp(int n) {
  if (n == kFigJumping) {
    dy = -12;
    fr = 7;
  } else {
    dy = -13;
    fr = 8;
  }
  act = n;
}

// Called by the contact rules; the cool-down absorbs every further hit for 2000 ms.
void TFig::Hrt() {
  if (_h != 0) return;
  _h = kHurtCoolDown;
  health -= 1;
  if (health < 1) gamestate = kGameOver;
  TGxW::Cr(x, y, kColour);
}
