// The player's figure: movement states, contact rules, and the three items it can use.
#pragma once

#include <memory>

#include "engine/list.h"

class TCr;

class TFig {
 public:
  static void Cr(int x, int y);  // replaces `fig`
  void U();
  void Dr();
  void Coll();
  void Jmp(int n);
  void Hrt();
  void Hea();  // heal one hit point with a healing agent
  void Sht();  // fire the gun along the facing direction
  void Bmb();  // strike every creature once

  int x = 0, y = 0;
  int dx = 0, dy = 0;
  int cll = 0;
  TList<TCr> cllc;
  int dir = 1;
  int fr = 0;
  int tm = 0;
  int act = 0;
  int _h = 0;
  int og = 0;
};
