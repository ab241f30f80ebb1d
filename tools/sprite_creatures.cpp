// Three animals in two sizes: a beetle that walks, a bat that flies up and down, and an urchin
// that creeps round blocks. Each is drawn about the 64x64 cell's centre, sized to its hit boxes;
// the big kinds are the small designs scaled up (the big beetle grows a horn).
#include <cmath>

#include "tools/canvas.h"
#include "tools/sprites.h"

namespace {

constexpr int kCell = 64;
constexpr Point kCentre{32, 32};

// Maps design coordinates (relative to the centre, small size) to the cell at scale `s`.
struct Frame {
  float s;
  Point P(float x, float y) const { return {kCentre.x + x * s, kCentre.y + y * s}; }
  float L(float v) const { return v * s; }
  float Outline() const { return 0.8f + 0.2f * s; }
};

void PaintEye(Canvas& c, const Frame& f, float x, float y, float r, float look_x) {
  c.Paint(Circle(f.P(x, y), f.L(r)), Flat(1.0f), f.Outline() * 0.6f);
  c.Paint(Circle(f.P(x + look_x * r * 0.35f, y + r * 0.1f), f.L(r * 0.5f)), Flat(0.05f));
}

// Walking frame k of 8, facing +x; six legs in two alternating tripods.
RgbaImage Beetle(float scale, bool horned, int k) {
  Canvas c(kCell, kCell);
  const Frame f{scale};
  const float phase = 2 * kPi * k / 8;
  const float bob = std::abs(std::sin(phase)) * 0.35f;
  for (int side = 0; side < 2; ++side) {  // far legs first, darker
    for (int i = 0; i < 3; ++i) {
      const float p = phase + (i % 2 == side ? 0 : kPi);
      const float hip_x = -4.5f + i * 4.2f + (side ? 0.6f : -0.6f);
      const float foot_x = hip_x + 2.2f * std::sin(p) + (i - 1) * 1.2f;
      const float lift = std::max(0.f, std::cos(p)) * 1.6f;
      const Point hip = f.P(hip_x, 2.5f),
                  knee = f.P((hip_x + foot_x) / 2 + 0.8f, 5.0f - lift * 0.5f);
      const Point foot = f.P(foot_x, 7.3f - lift);
      c.Paint(Union(Capsule(hip, knee, f.L(0.85f)), Capsule(knee, foot, f.L(0.7f))),
              Flat(side ? 0.85f : 0.5f), f.Outline() * 0.7f);
    }
  }
  const Point body = f.P(-0.5f, 0.8f - bob);
  const Sdf shell = Intersect(Ellipse(body, f.L(7.5f), f.L(6.8f)),
                              RoundBox(f.P(-0.5f, -2.5f - bob), f.L(9), f.L(7.2f), 0));
  if (horned) {
    c.Paint(Polygon({f.P(-1.3f, -5.5f - bob), f.P(0.1f, -8.4f - bob), f.P(1.6f, -5.5f - bob)}),
            Lit(f.P(0, -6.5f), f.L(2), 0.95f), f.Outline());
  }
  const Point head = f.P(6.6f, 1.9f - bob);
  c.Paint(Circle(head, f.L(2.9f)), Lit(head, f.L(2.9f), 0.7f), f.Outline());
  c.Paint(
      Capsule(f.P(7.8f, -0.2f - bob), f.P(9.6f + 0.4f * std::sin(phase), -3.0f - bob), f.L(0.35f)),
      Flat(0.7f),
      f.Outline() * 0.5f);  // feeler
  c.Paint(shell, Lit(body, f.L(7.5f), 0.95f), f.Outline());
  c.Paint(Capsule(f.P(-0.5f, -5.5f - bob), f.P(-0.5f, 4.3f - bob), f.L(0.35f)),
          Flat(0.35f));  // wing case seam
  c.Paint(Circle(f.P(-3.5f, -1.5f - bob), f.L(1.0f)), Flat(0.6f));
  c.Paint(Circle(f.P(2.4f, -1.0f - bob), f.L(1.0f)), Flat(0.6f));
  PaintEye(c, f, 7.4f, 1.2f - bob, 1.25f, 1);
  return c.ToImage();
}

// Flapping frame k of 4: wings up, level, down, level; the bat faces the viewer.
RgbaImage Bat(float scale, int k) {
  Canvas c(kCell, kCell);
  const Frame f{scale};
  const float beat = std::cos(2 * kPi * k / 4);  // 1 up, -1 down
  const float tip_y = -7.5f + (1 - beat) * 3.2f, elbow_y = -4.5f + (1 - beat) * 1.6f;
  for (float side : {-1.f, 1.f}) {
    const Sdf wing =
        Polygon({f.P(side * 2.5f, -2.5f), f.P(side * 9.0f, elbow_y), f.P(side * 15.6f, tip_y),
                 f.P(side * 14.0f, tip_y + 4.0f), f.P(side * 11.0f, tip_y + 3.0f),
                 f.P(side * 8.0f, elbow_y + 5.0f), f.P(side * 5.0f, 2.2f), f.P(side * 2.5f, 3.0f)});
    c.Paint(wing, Lit(f.P(side * 7, elbow_y), f.L(9), 0.72f), f.Outline());
    c.Paint(Capsule(f.P(side * 2.5f, -2.0f), f.P(side * 9.0f, elbow_y), f.L(0.45f)), Flat(0.95f));
    c.Paint(Capsule(f.P(side * 9.0f, elbow_y), f.P(side * 15.6f, tip_y), f.L(0.4f)), Flat(0.95f));
    c.Paint(Polygon({f.P(side * 1.4f, -3.2f), f.P(side * 3.6f, -7.8f), f.P(side * 3.8f, -2.6f)}),
            Flat(0.85f),
            f.Outline());  // ear
  }
  const Point body = f.P(0, 0);
  c.Paint(Ellipse(body, f.L(3.8f), f.L(4.5f)), Lit(body, f.L(4.5f), 0.95f), f.Outline());
  PaintEye(c, f, -1.5f, -1.2f, 1.1f, 0);
  PaintEye(c, f, 1.5f, -1.2f, 1.1f, 0);
  c.Paint(
      Polygon({f.P(-1.2f, 1.4f), f.P(-0.6f, 3.0f), f.P(0, 1.4f), f.P(0.6f, 3.0f), f.P(1.2f, 1.4f)}),
      Flat(1.0f));
  return c.ToImage();
}

// Frame k of 4: the spines turn an eighth of a turn per cycle; the face looks to +x.
RgbaImage Urchin(float scale, int k) {
  Canvas c(kCell, kCell);
  const Frame f{scale};
  const int spines = 12;
  const float turn = 360.f / spines * k / 4;
  for (int layer = 0; layer < 2; ++layer) {
    for (int i = 0; i < spines; ++i) {
      const float a = (turn + (i + layer * 0.5f) * 360.f / spines) * kPi / 180;
      const float len = layer ? 7.9f : 6.6f, half = layer ? 1.0f : 1.2f;
      const float sx = std::cos(a), sy = std::sin(a);
      const Sdf spine =
          Polygon({f.P(sx * 3 - sy * half, sy * 3 + sx * half), f.P(sx * len, sy * len),
                   f.P(sx * 3 + sy * half, sy * 3 - sx * half)});
      c.Paint(spine, Flat(layer ? 0.95f : 0.55f), f.Outline() * 0.6f);
    }
  }
  const Point core = f.P(0, 0);
  c.Paint(Circle(core, f.L(4.8f)), Lit(core, f.L(4.8f), 0.85f), f.Outline());
  PaintEye(c, f, 0.4f, -0.9f, 1.15f, 1);
  PaintEye(c, f, 2.6f, -0.9f, 1.0f, 1);
  c.Paint(Capsule(f.P(0.6f, 1.9f), f.P(2.6f, 1.6f), f.L(0.35f)), Flat(0.1f));
  return c.ToImage();
}

}  // namespace

RgbaImage DrawCreatureSheet() {
  std::vector<RgbaImage> frames;
  for (int k = 0; k < 8; ++k) frames.push_back(Beetle(1, false, k));
  for (int k = 0; k < 4; ++k) frames.push_back(Bat(1, k));
  for (int k = 0; k < 4; ++k) frames.push_back(Urchin(1, k));
  for (int k = 0; k < 8; ++k) frames.push_back(Beetle(2, true, k));
  for (int k = 0; k < 4; ++k) frames.push_back(Bat(2, k));
  for (int k = 0; k < 4; ++k) frames.push_back(Urchin(2, k));
  return JoinFrames(frames, 8);
}
