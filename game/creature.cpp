#include "game/creature.h"

#include <array>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/numbers.h"
#include "game/collision.h"
#include "game/colour.h"
#include "game/drop.h"
#include "game/effects.h"
#include "game/globals.h"

namespace {

enum class Movement { kNone, kWalker, kMover, kCrawler };

struct KindTraits {
  Movement move;
  int hl;
  int bfr;
  int col;
  int rewards;  // Reward calls when it dies
};

// Index 0 stands for every kind outside kWalker..kBigCrawler: it neither moves nor draws a frame of
// its own. The others by CreatureKind.
constexpr std::array<KindTraits, 7> kKinds = {{
    {Movement::kNone, 0, 0, 0, 1},
    {Movement::kWalker, 1, 0, 0xFF00F0, 1},
    {Movement::kMover, 1, 8, 0xFF005A, 1},
    {Movement::kCrawler, 1, 12, 0xFF5A00, 1},
    {Movement::kWalker, 3, 16, 0xFF00F0, 10},
    {Movement::kMover, 3, 24, 0xFF005A, 10},
    {Movement::kCrawler, 3, 28, 0xFF5A00, 10},
}};

const KindTraits& KindOf(int cl) {
  return cl >= kWalker && cl <= kBigCrawler ? kKinds[cl] : kKinds[0];
}

constexpr int kAnimStep = 40;

// The unit step of a crawler heading in quarter turns: 0 right, 1 down, 2 left, 3 up.
struct Step {
  int dx, dy;
};
Step HeadingStep(int rot) {
  constexpr std::array<Step, 4> steps = {{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};
  return steps[((rot % 4) + 4) % 4];
}

}  // namespace

// Called by SpawnOne with the spawn group as kind.
void TCr::Cr(int kind, int x, int y) {
  auto creature = std::make_shared<TCr>();
  TCr& c = *creature;
  c.act = kCrWaiting;
  c.cl = kind;
  c.x = x;
  c.y = y;
  c.dir = Rand(0, 1) == 0 ? -1 : 1;
  c.tm = now;
  c.ftm = now + kAnimStep;
  const KindTraits& k = KindOf(kind);
  c.bfr = k.bfr;
  c.hl = k.hl;
  creatures.AddLast(creature);
  c.col = k.col;
  if (k.move == Movement::kCrawler) c.Start();
  TGxS::Cr(x, y, c.col);
}

// Called by the play step in states 1 and 3, after the figure and the drops.
void TCr::UA() {
  creatures.ForEach([](TCr& c) { c.U(); });
}

// Called by the play step and by the pause screen.
void TCr::DrA() {
  creatures.ForEach([](TCr& c) { c.Dr(); });
  SetScale(1, 1);
}

void TCr::U() {
  if (act == kCrWaiting) {
    if (now >= tm + kAppearWait) act = kCrActive;
  } else {
    _h = Max(0, _h - kUpdateMs);
    switch (KindOf(cl).move) {
      case Movement::kWalker: {
        // Off the grid there is a wall and no floor, so a walker turns back at the edge.
        const int cx = (x + dir * WalkerLookAhead(cl)) / kCellSize;
        const int cy = y / kCellSize;
        const int ahead = CellAt(cx, cy);
        const int below = CellAt(cx, cy + 1);
        if (ahead == 1 || ahead < 0 || below == 0 || below < 0) dir = -dir;
        x += dir;
        break;
      }
      case Movement::kMover:
        if (MapColl(CBox(kTerrainBoxes), x, y + dir)) dir = -dir;
        y += dir;
        break;
      case Movement::kCrawler: {
        int mask = 0;
        for (int i = 0; i < 4; ++i) {
          const Step s = HeadingStep(rot + i * dir);
          if (!MapColl(CBox(kTerrainBoxes), x + s.dx, y + s.dy)) mask |= 1 << i;
        }
        if (mask == 15) {
          rot += dir;  // free all round: an outer corner was passed
        } else if (!(mask & 1)) {
          rot -= dir;  // blocked ahead: an inner corner
        }
        const Step s = HeadingStep(rot);
        x += s.dx;
        y += s.dy;
        break;
      }
      case Movement::kNone: break;
    }
  }
  // One animation step per update at most, so a lagging ftm catches up gradually.
  if (now >= ftm) {
    ftm += kAnimStep;
    fr = (fr + 1) % 8;
  }
}

void TCr::Dr() {
  if (act == kCrWaiting) return;
  const KindTraits& k = KindOf(cl);
  SetScale(static_cast<float>(dir), 1);
  int frame = bfr + fr % 4;
  if (k.move == Movement::kWalker) {
    frame = bfr + fr;
  } else if (k.move == Movement::kMover) {
    SetScale(1, 1);  // movers are never mirrored
  }
  SetCol(BlinkColour(_h, col));
  DrawImage(*imgcrea, static_cast<float>(x), static_cast<float>(y), frame);
  if (cl >= kBigWalker && cl <= kBigCrawler) {  // the big kinds show their hit points left
    SetScale(1, 1);
    SetCol(kRed);
    for (int i = 0; i < hl; ++i) {
      DrawImage(*imgsymbols, static_cast<float>(x + (i - 1) * 10), static_cast<float>(y - 24), 0);
    }
  }
}

BoxList TCr::CBox(int which) const { return CreatureBoxes(cl, which); }

// Called by Cr for crawlers: turn against dir until a free heading follows a blocked one.
void TCr::Start() {
  bool blocked_seen = false;
  for (int i = 0; i < 6; ++i) {
    rot -= dir;
    const Step s = HeadingStep(rot);
    if (MapColl(CBox(kTerrainBoxes), x + s.dx, y + s.dy)) {
      blocked_seen = true;
    } else if (blocked_seen) {
      break;
    }
  }
}

// Called by the figure's contact rules, the gun and the bomb; waiting or immune creatures ignore
// it.
void TCr::Kill() {
  if (act <= kCrWaiting || _h > 0) return;
  hl -= 1;
  // Removing the creature may release it, so what the wound effect needs is read first.
  const int wx = x, wy = y, wcol = col;
  if (hl < 1) {
    act = kCrWaiting;
    const int calls = KindOf(cl).rewards;
    for (int i = 0; i < calls; ++i) Reward(x, y);
    creatures.Remove(this);
  } else {
    _h = kHurtCoolDown;
  }
  TGxW::Cr(wx, wy, wcol);
}
