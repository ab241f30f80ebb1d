#include "tools/canvas.h"
#include "tools/sprites.h"

RgbaImage DrawGlow() {
  Canvas canvas(64, 64);
  canvas.Glow({32, 32}, 32, 0.55f);
  canvas.Glow({32, 32}, 14, 0.6f);
  return canvas.ToImage();
}
