// The six creature kinds: walkers (1, 4), vertical movers (2, 5) and crawlers (3, 6).
#pragma once

#include "game/tables.h"

class TCr {
 public:
  static void Cr(int kind, int x, int y);
  static void UA();
  static void DrA();
  void U();
  void Dr();
  BoxList CBox(int which) const;  // 0: hit boxes, other: terrain boxes
  void Start();                   // crawlers: turn the heading to follow the adjacent solid surface
  void Kill();  // one hit point; removes the creature and pays the reward on the last

  int act = 0;
  int _h = 0;
  int hl = 0;
  int cl = 0;
  int x = 0, y = 0;
  int tm = 0;
  int ftm = 0;
  int dir = 0;
  int rot = 0;
  int bfr = 0;
  int fr = 0;
  int col = 0;
};
