// The floor under stomp-headless's start-up figures: the same offscreen OpenGL context, opened by
// the same backend, drawing one bare frame of each kind of thing the game's first frames draw,
// presented and finished; no game data. Run by startup_bench as a child.
#include <GL/gl.h>

#include <cstdio>
#include <string>

#include "bench/bare_frame.h"
#include "engine/platform.h"
#include "engine/platform/headless.h"

int main() {
  std::string error;
  if (!headless::Configure(headless::Options{}, error) ||
      !platform::OpenWindow(800, 576, "Corvane Application", true, error)) {
    std::fprintf(stderr, "gl_baseline: %s\n", error.c_str());
    return 1;
  }
  DrawBareFrame(800, 576);
  platform::SwapWindow(0);
  glFinish();
  return 0;
}
