#include "tools/canvas.h"

#include <algorithm>
#include <cmath>

namespace {
float Length(float x, float y) { return std::sqrt(x * x + y * y); }
}  // namespace

Sdf Circle(Point c, float r) {
  return [=](Point p) { return Length(p.x - c.x, p.y - c.y) - r; };
}

Sdf Ellipse(Point c, float rx, float ry) {
  return [=](Point p) {
    const float k = Length((p.x - c.x) / rx, (p.y - c.y) / ry);
    return (k - 1) * std::min(rx, ry);
  };
}

Sdf Capsule(Point a, Point b, float r) {
  return [=](Point p) {
    const float bx = b.x - a.x, by = b.y - a.y, px = p.x - a.x, py = p.y - a.y;
    const float len2 = bx * bx + by * by;
    const float t = len2 > 0 ? std::clamp((px * bx + py * by) / len2, 0.f, 1.f) : 0.f;
    return Length(px - t * bx, py - t * by) - r;
  };
}

Sdf RoundBox(Point c, float half_w, float half_h, float r) {
  return [=](Point p) {
    const float qx = std::abs(p.x - c.x) - half_w + r, qy = std::abs(p.y - c.y) - half_h + r;
    return Length(std::max(qx, 0.f), std::max(qy, 0.f)) + std::min(std::max(qx, qy), 0.f) - r;
  };
}

Sdf Polygon(std::vector<Point> corners) {
  return [v = std::move(corners)](Point p) {
    float best = 1e9f;
    bool inside = false;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
      const float ex = v[i].x - v[j].x, ey = v[i].y - v[j].y, wx = p.x - v[j].x, wy = p.y - v[j].y;
      const float t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.f, 1.f);
      best = std::min(best, Length(wx - t * ex, wy - t * ey));
      if ((v[i].y > p.y) != (v[j].y > p.y) && p.x < ex * (p.y - v[j].y) / ey + v[j].x)
        inside = !inside;
    }
    return inside ? -best : best;
  };
}

Sdf Union(Sdf a, Sdf b) {
  return [=](Point p) { return std::min(a(p), b(p)); };
}
Sdf Subtract(Sdf a, Sdf b) {
  return [=](Point p) { return std::max(a(p), -b(p)); };
}
Sdf Intersect(Sdf a, Sdf b) {
  return [=](Point p) { return std::max(a(p), b(p)); };
}

Sdf Rotated(Sdf shape, Point pivot, float degrees) {
  const float s = std::sin(-degrees * kPi / 180), c = std::cos(-degrees * kPi / 180);
  return [=](Point p) {
    const float dx = p.x - pivot.x, dy = p.y - pivot.y;
    return shape({pivot.x + dx * c - dy * s, pivot.y + dx * s + dy * c});
  };
}

Sdf Scaled(Sdf shape, Point pivot, float sx, float sy) {
  const float k = std::min(std::abs(sx), std::abs(sy));
  return [=](Point p) {
    return shape({pivot.x + (p.x - pivot.x) / sx, pivot.y + (p.y - pivot.y) / sy}) * k;
  };
}

Grey Flat(float grey) {
  return [=](Point) { return grey; };
}

Grey Lit(Point centre, float radius, float grey) {
  return [=](Point p) {
    const float hx = centre.x - radius * 0.4f, hy = centre.y - radius * 0.45f;
    const float d = Length(p.x - hx, p.y - hy) / (radius * 1.6f);
    return std::clamp(grey * (1.25f - 0.75f * d), 0.f, 1.f);
  };
}

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      grey_(static_cast<std::size_t>(width) * height, 0.f),
      alpha_(static_cast<std::size_t>(width) * height, 0.f) {}

void Canvas::Over(int x, int y, float grey, float alpha) {
  const std::size_t i = static_cast<std::size_t>(y) * width_ + x;
  const float out_a = alpha + alpha_[i] * (1 - alpha);
  if (out_a <= 0) return;
  grey_[i] = (grey * alpha + grey_[i] * alpha_[i] * (1 - alpha)) / out_a;
  alpha_[i] = out_a;
}

void Canvas::Paint(const Sdf& shape, const Grey& grey, float outline, float alpha) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const Point p{x + 0.5f, y + 0.5f};
      const float d = shape(p);
      if (outline > 0) {
        const float ring = std::clamp(0.5f - (d - outline), 0.f, 1.f);
        if (ring > 0) Over(x, y, 0.06f, ring * alpha);
      }
      const float cover = std::clamp(0.5f - d, 0.f, 1.f);
      if (cover > 0) Over(x, y, grey(p), cover * alpha);
    }
  }
}

void Canvas::Glow(Point c, float radius, float strength) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const float d = Length(x + 0.5f - c.x, y + 0.5f - c.y) / radius;
      if (d >= 1) continue;
      const float fall = (1 - d * d);
      const float a = std::clamp(strength * fall * fall, 0.f, 1.f);
      Over(x, y, 1.f, a);
    }
  }
}

RgbaImage Canvas::ToImage() const {
  RgbaImage image(width_, height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width_ + x;
      const auto grey =
          static_cast<std::uint8_t>(std::lround(std::clamp(grey_[i], 0.f, 1.f) * 255));
      const auto alpha =
          static_cast<std::uint8_t>(std::lround(std::clamp(alpha_[i], 0.f, 1.f) * 255));
      std::uint8_t* px = image.At(x, y);
      px[0] = px[1] = px[2] = alpha ? grey : 0;
      px[3] = alpha;
    }
  }
  return image;
}
