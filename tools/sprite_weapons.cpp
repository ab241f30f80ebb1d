// The three items, at 16 and 32 pixels: a healing flask with rising bubbles, a blaster with a
// travelling glint, and a bomb with a sparking fuse.
#include <cmath>

#include "tools/canvas.h"
#include "tools/sprites.h"

namespace {

// Frame k of 8: three bubbles rise through the liquid and start again at the bottom.
RgbaImage Flask(int size, int k) {
  Canvas c(size, size);
  const Cell g{size};
  const Sdf glass = Union(Circle(g.P(0, 2.2f), g.U(5.2f)),
                          RoundBox(g.P(0, -3.6f), g.U(1.9f), g.U(2.8f), g.U(0.6f)));
  c.Paint(glass, Flat(0.35f), g.Outline());
  const Sdf liquid =
      Intersect(Circle(g.P(0, 2.2f), g.U(4.3f)), RoundBox(g.P(0, 4.6f), g.U(6), g.U(4.0f), 0));
  c.Paint(liquid, Lit(g.P(0, 3), g.U(4.5f), 1.0f));
  for (int b = 0; b < 3; ++b) {
    const float t = std::fmod((k + b * 8.f / 3) / 8.f, 1.f);
    const float y = 5.5f - t * 5.2f, x = std::sin((t + b) * 2 * kPi) * 1.3f + (b - 1) * 1.1f;
    c.Paint(Circle(g.P(x, y), g.U(0.55f + 0.35f * t)), Flat(0.45f), 0, 1 - t * 0.6f);
  }
  c.Paint(RoundBox(g.P(0, -6.2f), g.U(2.4f), g.U(1.1f), g.U(0.5f)), Flat(0.6f),
          g.Outline());  // cork
  c.Paint(Capsule(g.P(-3.2f, 0.4f), g.P(-2.2f, -0.9f), g.U(0.5f)), Flat(1.0f), 0,
          0.8f);  // glass highlight
  return c.ToImage();
}

// Frame k of 16: a glint sweeps along the barrel in the first half, the gun bobs gently.
RgbaImage Blaster(int size, int k) {
  Canvas c(size, size);
  const Cell g{size};
  const float bob = std::sin(2 * kPi * k / 16) * 0.5f;
  auto P = [&](float x, float y) { return g.P(x, y + bob); };
  c.Paint(Polygon({P(-4.4f, 0.4f), P(-1.2f, 0.4f), P(-0.4f, 5.6f), P(-3.8f, 5.6f)}),
          Lit(P(-2, 2), g.U(4), 0.7f),
          g.Outline());  // grip
  c.Paint(RoundBox(P(-0.2f, -1.6f), g.U(5.6f), g.U(2.3f), g.U(1.0f)),
          Lit(P(-1, -2.5f), g.U(5), 0.95f), g.Outline());
  c.Paint(RoundBox(P(6.3f, -2.0f), g.U(1.4f), g.U(1.3f), g.U(0.4f)), Flat(0.8f),
          g.Outline());  // muzzle
  c.Paint(RoundBox(P(-0.6f, -1.0f), g.U(3.8f), g.U(0.45f), g.U(0.2f)), Flat(0.3f));
  c.Paint(Subtract(Circle(P(-1.4f, 1.6f), g.U(1.8f)), Circle(P(-1.4f, 1.2f), g.U(1.0f))),
          Flat(0.6f));  // trigger guard
  if (k < 8) {
    const float x = -5.5f + k * 1.6f;
    c.Paint(Intersect(Polygon({P(x - 0.6f, 1), P(x + 0.4f, 1), P(x + 1.8f, -4), P(x + 0.8f, -4)}),
                      RoundBox(P(-0.2f, -1.6f), g.U(5.4f), g.U(2.1f), g.U(0.9f))),
            Flat(1.0f), 0, 0.85f);
  }
  return c.ToImage();
}

// Frame k of 8: the spark at the fuse's end flickers and turns.
RgbaImage Bomb(int size, int k) {
  Canvas c(size, size);
  const Cell g{size};
  const Point body = g.P(-0.6f, 1.6f);
  c.Paint(Capsule(g.P(2.4f, -3.6f), g.P(4.2f, -5.6f), g.U(0.45f)), Flat(0.8f),
          g.Outline() * 0.7f);  // fuse
  c.Paint(RoundBox(g.P(1.6f, -3.0f), g.U(1.5f), g.U(1.2f), g.U(0.4f)), Flat(0.55f),
          g.Outline());  // cap
  c.Paint(Circle(body, g.U(5.3f)), Lit(body, g.U(5.3f), 0.8f), g.Outline());
  c.Paint(Capsule(g.P(-3.6f, -0.4f), g.P(-2.4f, -2.0f), g.U(0.6f)), Flat(1.0f), 0, 0.7f);
  const Point tip = g.P(4.6f, -6.0f);
  const float flicker = 1.6f + 0.8f * std::abs(std::sin(k * 1.7f)), turn = k * 22.5f;
  c.Glow(tip, g.U(flicker + 1.2f), 0.8f);
  c.Paint(Rotated(Polygon({g.P(4.6f - flicker, -6), g.P(4.3f, -6.3f), g.P(4.6f, -6 - flicker),
                           g.P(4.9f, -6.3f), g.P(4.6f + flicker, -6), g.P(4.9f, -5.7f),
                           g.P(4.6f, -6 + flicker), g.P(4.3f, -5.7f)}),
                  tip, turn),
          Flat(1.0f));
  return c.ToImage();
}

}  // namespace

RgbaImage DrawWeaponSheet(int cell_size) {
  std::vector<RgbaImage> frames;
  for (int k = 0; k < 8; ++k) frames.push_back(Flask(cell_size, k));
  for (int k = 0; k < 16; ++k) frames.push_back(Blaster(cell_size, k));
  for (int k = 0; k < 8; ++k) frames.push_back(Bomb(cell_size, k));
  return JoinFrames(frames, 8);
}
