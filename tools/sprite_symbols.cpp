// Small symbols: life pip, heart, the turning supply crate and coin, and two particle sets.
#include <cmath>

#include "tools/canvas.h"
#include "tools/sprites.h"

namespace {

RgbaImage LifePip() {
  Canvas c(16, 16);
  const Cell g{16};
  c.Paint(Circle(g.P(0, 0), g.U(3.2f)), Lit(g.P(0, 0), g.U(3.2f), 1.0f), g.Outline());
  return c.ToImage();
}

Sdf HeartShape(const Cell& g, float r) {
  return Union(Union(Circle(g.P(-r * 0.5f, -r * 0.35f), g.U(r * 0.55f)),
                     Circle(g.P(r * 0.5f, -r * 0.35f), g.U(r * 0.55f))),
               Polygon({g.P(-r * 1.02f, -r * 0.15f), g.P(0, r * 1.05f), g.P(r * 1.02f, -r * 0.15f),
                        g.P(0, -r * 0.4f)}));
}

RgbaImage Heart() {
  Canvas c(16, 16);
  const Cell g{16};
  c.Paint(HeartShape(g, 6), Lit(g.P(-1, -2), g.U(6), 1.0f), g.Outline());
  return c.ToImage();
}

// A supply crate turning about its upright axis, 16 frames per turn.
RgbaImage SupplyCrate(int size, int k) {
  Canvas c(size, size);
  const Cell g{size};
  const float a = 2 * kPi * k / 16, face = std::cos(a), side = std::sin(a);
  const float half = 5.2f, depth = 2.2f;
  const float fw = std::abs(face) * half, sw = std::abs(side) * depth;
  const float face_x = (side > 0 ? -sw : sw) * 0.5f;  // the face moves aside as the side shows
  if (sw > 0.05f) {
    const float sx = face_x + (side > 0 ? fw + sw * 0.5f : -fw - sw * 0.5f);
    c.Paint(RoundBox(g.P(sx, 0), g.U(sw * 0.5f + 0.3f), g.U(half), g.U(0.6f)), Flat(0.5f),
            g.Outline());
  }
  if (fw > 0.05f) {
    const Point centre = g.P(face_x, 0);
    c.Paint(RoundBox(centre, g.U(fw + 0.3f), g.U(half), g.U(std::min(1.2f, fw))),
            Lit(centre, g.U(half), 0.95f), g.Outline());
    if (std::abs(face) > 0.3f) {  // the cross emblem, squeezed with the face
      const float ex = std::abs(face);
      c.Paint(Union(RoundBox(centre, g.U(3.0f * ex), g.U(0.9f), g.U(0.3f)),
                    RoundBox(centre, g.U(0.9f * ex), g.U(3.0f), g.U(0.3f))),
              Flat(0.25f));
    }
  }
  c.Paint(Capsule(g.P(face_x - fw * 0.6f, -half + 1.2f), g.P(face_x + fw * 0.2f, -half + 1.2f),
                  g.U(0.4f)),
          Flat(1.0f), 0, std::abs(face) > 0.2f ? 0.8f : 0.f);
  return c.ToImage();
}

// A coin spinning about its upright axis, 16 frames per turn.
RgbaImage Coin(int size, int k) {
  Canvas c(size, size);
  const Cell g{size};
  const float a = 2 * kPi * k / 16, face = std::abs(std::cos(a)), edge = std::abs(std::sin(a));
  const float r = 5.8f, rx = std::max(0.35f, r * face);
  const float shift = edge * 0.8f * (std::sin(a) > 0 ? 1 : -1);
  const Point centre = g.P(shift * 0.5f, 0);
  if (edge > 0.05f)
    c.Paint(Ellipse(g.P(-shift * 0.5f, 0), g.U(rx + 0.4f), g.U(r)), Flat(0.55f), g.Outline());
  c.Paint(Ellipse(centre, g.U(rx), g.U(r)), Lit(centre, g.U(r), 1.0f), g.Outline());
  if (face > 0.25f) {
    c.Paint(Subtract(Ellipse(centre, g.U(rx * 0.72f), g.U(r * 0.72f)),
                     Ellipse(centre, g.U(rx * 0.72f - 0.8f * face), g.U(r * 0.72f - 0.8f))),
            Flat(0.55f));
    c.Paint(RoundBox(centre, g.U(0.8f * face), g.U(2.4f), g.U(0.3f)), Flat(0.55f));
  }
  return c.ToImage();
}

// Shards thrown out of a wound: eight small splinters of different lengths.
RgbaImage Shard(int k) {
  Canvas c(16, 16);
  const Cell g{16};
  const float len = 3.0f + (k % 4) * 1.0f,
              width = 1.4f + (k / 4) * 0.6f;  // NOLINT(bugprone-integer-division): k / 4 is the row
  c.Paint(Rotated(Polygon({g.P(-len, 0), g.P(0, -width), g.P(len, 0), g.P(0, width * 0.7f)}),
                  g.P(0, 0), k * 37.f),
          Lit(g.P(0, 0), g.U(len), 1.0f), 0.6f);
  return c.ToImage();
}

// Sparkles: four-pointed stars with a soft core, in eight sizes.
RgbaImage Sparkle(int k) {
  Canvas c(16, 16);
  const Cell g{16};
  const float arm = 3.0f + k * 0.6f, waist = 0.7f + (k % 3) * 0.2f;
  c.Glow(g.P(0, 0), g.U(arm * 0.9f), 0.6f);
  c.Paint(Polygon({g.P(-arm, 0), g.P(-waist, -waist), g.P(0, -arm), g.P(waist, -waist), g.P(arm, 0),
                   g.P(waist, waist), g.P(0, arm), g.P(-waist, waist)}),
          Flat(1.0f));
  return c.ToImage();
}

}  // namespace

RgbaImage DrawSymbolSheet() {
  std::vector<RgbaImage> frames(64, RgbaImage(16, 16));
  frames[0] = LifePip();
  frames[1] = Heart();
  for (int k = 0; k < 16; ++k) frames[8 + k] = SupplyCrate(16, k);
  for (int k = 0; k < 16; ++k) frames[24 + k] = Coin(16, k);
  for (int k = 0; k < 8; ++k) frames[48 + k] = Shard(k);
  for (int k = 0; k < 8; ++k) frames[56 + k] = Sparkle(k);
  return JoinFrames(frames, 8);
}

RgbaImage DrawBigSymbolSheet() {
  std::vector<RgbaImage> frames;
  for (int k = 0; k < 16; ++k) frames.push_back(SupplyCrate(32, k));
  for (int k = 0; k < 16; ++k) frames.push_back(Coin(32, k));
  return JoinFrames(frames, 8);
}
