// The six creature kinds (CreatureKind): walkers, vertical movers and crawlers in two sizes.
#pragma once

#include "game/model.h"
#include "game/tables.h"

class TCr {
 public:
  static void Cr(int kind, int x, int y);
  static void UA();
  static void DrA();
  void U();
  void Dr();
  BoxList CBox(int which) const;  // kHitBoxes or kTerrainBoxes
  void Start();                   // crawlers: turn the heading to follow the adjacent solid surface
  void Kill();  // one hit point; removes the creature and pays the reward on the last

  int act = 0;       // CreatureAct
  int _h = 0;        // hurt cool-down in ms: blinks, cannot be struck, is not met by the figure
  int hl = 0;        // hit points left
  int cl = 0;        // CreatureKind
  int x = 0, y = 0;  // centre of the drawn frame, in pixels
  int tm = 0;        // creation time, the start of the wait
  int ftm = 0;       // time of the next animation step
  int dir = 0;       // -1 or 1: walking way, vertical way (1 down) or turning sense of a crawler
  int rot = 0;       // crawlers: heading in quarter turns (modulo 4: right, down, left, up)
  int bfr = 0;       // first frame of its kind in imgcrea
  int fr = 0;        // animation step 0..7
  int col = 0;       // colour word 0xRRGGBB
};
