// The desktop game: SDL2 window, OpenGL driver.
#include "engine/graphics.h"
#include "engine/system.h"
#include "game/startup.h"

int main() {
  return RunGuarded([] { RunStomp(GLDraw2DDriver()); });
}
