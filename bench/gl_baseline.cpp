// The floor under stomp-headless's start-up figures: the offscreen OpenGL context alone, opened
// through the engine as the game opens it, one cleared frame presented and finished, no game data.
// Run by startup_bench as a child.
#include <GL/gl.h>

#include <cstdio>
#include <string>

#include "engine/graphics.h"
#include "engine/platform/headless.h"

int main() {
  std::string error;
  if (!headless::Configure(headless::Options{}, error)) {
    std::fprintf(stderr, "gl_baseline: %s\n", error.c_str());
    return 1;
  }
  SetGraphicsDriver(GLDraw2DDriver(), 2);
  if (!Graphics(800, 576, 0, 60, 0)) {
    std::fprintf(stderr, "gl_baseline: %s\n", GraphicsError().c_str());
    return 1;
  }
  Cls();
  Flip(0);
  glFinish();
  return 0;
}
