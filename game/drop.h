// Pick-ups dropped by killed creatures, and the kill reward that rolls them.
#pragma once

#include "engine/image.h"

// Adds 1 to the score and may throw a drop at (x, y). Called once per kill (ten times for big
// kinds).
void Reward(int x, int y);

class TDrp {
 public:
  static void Cr(int kind, int x, int y);
  static void UA();
  static void DrA();
  void U();
  void Dr();
  void Ga();  // collected by the figure (only from 500 ms of age on)

  int cl = 0;
  int tm = 0;
  int x = 0, y = 0;
  int dx = 0, dy = 0;
  TImage* img = nullptr;  // a shared sheet, not owned
  int fr = 0;
  int frs = 16;
  int bfr = 0;
  int col = 0;
};
