// Pick-ups dropped by killed creatures, and the kill reward that rolls them.
#pragma once

#include "engine/image.h"
#include "game/model.h"

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

  int cl = 0;             // DropKind
  int tm = 0;             // creation time; the age is now - tm
  int x = 0, y = 0;       // centre, in pixels
  int dx = 0, dy = 0;     // speed in pixels per update, dy positive downward
  TImage* img = nullptr;  // a shared sheet, not owned
  int fr = 0;             // animation step 0..frs-1
  int frs = 16;           // number of animation steps
  int bfr = 0;            // first frame of the animation in img
  int col = 0;            // colour word 0xRRGGBB
};
