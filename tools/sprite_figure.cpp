// The player figure: a small runner in a helmet. The frame centre is the top of its legs.
#include <cmath>

#include "tools/canvas.h"
#include "tools/sprites.h"

namespace {

constexpr float kOutline = 0.9f;
constexpr int kCell = 32;

float Rad(float degrees) { return degrees * kPi / 180; }

// A limb of two segments from `root`, angles from straight down, positive towards +x.
struct Limb {
  Point root;
  float upper_angle, lower_angle, upper_len, lower_len, thickness;
  Point Joint() const {
    return {root.x + std::sin(Rad(upper_angle)) * upper_len,
            root.y + std::cos(Rad(upper_angle)) * upper_len};
  }
  Point End() const {
    const Point j = Joint();
    return {j.x + std::sin(Rad(lower_angle)) * lower_len,
            j.y + std::cos(Rad(lower_angle)) * lower_len};
  }
  Sdf Shape() const {
    return Union(Capsule(root, Joint(), thickness), Capsule(Joint(), End(), thickness * 0.9f));
  }
};

void PaintHead(Canvas& c, Point head, int eyes, float look) {
  c.Paint(Circle(head, 4.6f), Lit(head, 4.6f, 1.0f), kOutline);
  // A dark visor band; `eyes` 2 faces the viewer, 1 looks to +x.
  if (eyes == 2) {
    c.Paint(RoundBox({head.x, head.y + 0.3f}, 3.6f, 1.4f, 1.2f), Flat(0.12f));
    c.Paint(Circle({head.x - 1.6f, head.y + 0.2f}, 0.8f), Flat(1.0f));
    c.Paint(Circle({head.x + 1.6f, head.y + 0.2f}, 0.8f), Flat(1.0f));
  } else {
    c.Paint(RoundBox({head.x + 1.8f + look, head.y + 0.3f}, 2.6f, 1.4f, 1.2f), Flat(0.12f));
    c.Paint(Circle({head.x + 2.6f + look, head.y + 0.2f}, 0.8f), Flat(1.0f));
  }
}

void PaintTorso(Canvas& c, Point neck, Point hip) {
  c.Paint(Capsule(neck, hip, 3.6f), Lit({(neck.x + hip.x) / 2, (neck.y + hip.y) / 2}, 5, 0.85f),
          kOutline);
  c.Paint(Capsule({hip.x - 2.6f, hip.y - 0.5f}, {hip.x + 2.6f, hip.y - 0.5f}, 1.0f),
          Flat(0.3f));  // belt
}

void PaintLimb(Canvas& c, const Limb& limb, float grey) {
  c.Paint(limb.Shape(), Flat(grey), kOutline);
}

RgbaImage Standing() {
  Canvas c(kCell, kCell);
  const Point hip{16, 19}, neck{16, 12};
  PaintLimb(c, {{14.2f, hip.y}, -5, 2, 6.2f, 6.3f, 2.1f}, 0.7f);
  PaintLimb(c, {{17.8f, hip.y}, 5, -2, 6.2f, 6.3f, 2.1f}, 0.7f);
  PaintLimb(c, {{11.6f, 12.6f}, -18, -4, 4.2f, 4.2f, 1.6f}, 0.75f);
  PaintLimb(c, {{20.4f, 12.6f}, 18, 4, 4.2f, 4.2f, 1.6f}, 0.75f);
  PaintTorso(c, neck, hip);
  PaintHead(c, {16, 6}, 2, 0);
  return c.ToImage();
}

// Frame k of the six-frame running cycle, facing +x; the far limbs are drawn darker behind.
RgbaImage Running(int k) {
  Canvas c(kCell, kCell);
  const float phase = 2 * kPi * k / 6;
  const float bob = -std::abs(std::sin(phase)) * 1.2f;
  const Point hip{15.5f, 18.5f + bob}, neck{17.5f, 11.5f + bob};
  auto leg = [&](float p) {
    const float swing = 42 * std::sin(p);
    const float bend =
        15 + 55 * (0.5f + 0.5f * std::cos(p));  // the knee folds while the leg swings forward
    return Limb{hip, swing, swing - bend, 6.6f, 6.6f, 2.1f};
  };
  auto arm = [&](float p) {
    const float swing = -50 * std::sin(p);
    return Limb{{neck.x - 0.3f, neck.y + 1.2f}, swing, swing + 70, 4.3f, 4.0f, 1.6f};
  };
  PaintLimb(c, arm(phase + kPi), 0.45f);
  PaintLimb(c, leg(phase + kPi), 0.5f);
  PaintTorso(c, neck, hip);
  PaintLimb(c, leg(phase), 0.85f);
  PaintHead(c, {neck.x + 1.2f, 5.8f + bob}, 1, 0);
  PaintLimb(c, arm(phase), 0.9f);
  return c.ToImage();
}

RgbaImage Jumping() {
  Canvas c(kCell, kCell);
  const Point hip{16, 17.5f}, neck{16, 11};
  PaintLimb(c, {{14.2f, hip.y}, -40, 15, 5.8f, 6.0f, 2.1f}, 0.7f);
  PaintLimb(c, {{17.8f, hip.y}, 40, -15, 5.8f, 6.0f, 2.1f}, 0.7f);
  PaintLimb(c, {{11.8f, 11.4f}, -135, -165, 4.2f, 4.0f, 1.6f}, 0.8f);
  PaintLimb(c, {{20.2f, 11.4f}, 135, 165, 4.2f, 4.0f, 1.6f}, 0.8f);
  PaintTorso(c, neck, hip);
  PaintHead(c, {16, 5.5f}, 2, 0);
  return c.ToImage();
}

// Spin frame k (0..5): the figure rolled into a ball, turned back by 60 degrees per frame, so
// that playing the frames downwards rolls it clockwise; a faint arc trails the head.
RgbaImage Spinning(int k) {
  Canvas c(kCell, kCell);
  const Point centre{16, 16};
  const float turn = -60.f * k;
  auto turned = [&](Sdf s) { return Rotated(std::move(s), centre, turn); };
  auto at = [&](float angle, float r) {
    const float a = Rad(angle + turn);
    return Point{centre.x + std::sin(a) * r, centre.y - std::cos(a) * r};
  };
  const Sdf trail = Subtract(Circle(centre, 12.5f), Circle(centre, 11.0f));
  const Sdf wedge = Polygon({centre, at(-100, 20), at(-55, 20), at(-10, 20)});
  c.Paint(Intersect(trail, wedge), Flat(0.9f), 0, 0.45f);
  c.Paint(turned(Union(Circle({16, 17}, 7.5f), Capsule({10.5f, 21}, {14, 24.5f}, 2.6f))),
          Lit(centre, 8, 0.85f), kOutline);
  c.Paint(turned(Capsule({19, 20}, {22, 15}, 2.4f)), Flat(0.65f), kOutline);  // knees
  const Point head = at(8, 8.5f);
  c.Paint(Circle(head, 4.4f), Lit(head, 4.4f, 1.0f), kOutline);
  const Point visor = at(32, 10.2f);
  c.Paint(Circle(visor, 1.7f), Flat(0.12f));
  c.Paint(Circle(visor, 0.7f), Flat(1.0f));
  return c.ToImage();
}

}  // namespace

RgbaImage DrawFigureSheet() {
  std::vector<RgbaImage> frames;
  frames.push_back(Standing());
  for (int k = 0; k < 6; ++k) frames.push_back(Running(k));
  frames.push_back(Jumping());
  for (int k = 0; k < 6; ++k) frames.push_back(Spinning(k));
  frames.resize(16, RgbaImage(kCell, kCell));  // frames 14 and 15 are never drawn
  return JoinFrames(frames, 8);
}
