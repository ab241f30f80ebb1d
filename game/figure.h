// The player's figure: movement states, contact rules, and the three items it can use.
#pragma once

#include <memory>

#include "engine/list.h"
#include "game/model.h"

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

  int x = 0, y = 0;    // centre column and top row of the legs box, in pixels
  int dx = 0, dy = 0;  // speed in pixels per update; dx is set afresh each update, dy kept
  int cll = 0;         // FigureContact flags of the last collision query
  TList<TCr> cllc;     // the creatures met during this update, in the order met
  int dir = 1;         // facing: 1 right, -1 left
  int fr = 0;          // frame of imgfig
  int tm = 0;          // creation time while waiting; end time of a dash
  int act = 0;         // FigureAct
  int _h = 0;          // hurt cool-down in ms: blinks, cannot be hurt and ignores creatures
  int og = 0;          // 1 when a downward step of this update was stopped by a solid cell
};
