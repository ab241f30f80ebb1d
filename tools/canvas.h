// A small vector painter for the sprite generators: shapes are signed distance functions
// (negative inside, in pixels), painted with analytic anti-aliasing in grey levels and alpha.
#pragma once

#include <functional>
#include <vector>

#include "tools/png_io.h"

inline constexpr float kPi = 3.14159265358979f;

struct Point {
  float x = 0;
  float y = 0;
};

// A square cell whose drawing is given in sixteenths of the cell from its centre, so one design
// serves the 16- and the 32-pixel sheets.
struct Cell {
  int size;
  float U(float v) const { return v * size / 16.f; }
  Point P(float x, float y) const { return {size / 2.f + U(x), size / 2.f + U(y)}; }
  float Outline() const { return size >= 32 ? 1.0f : 0.7f; }
};

using Sdf = std::function<float(Point)>;
// Grey level 0..1 at a point; the game tints it, so 1 shows the full tint colour.
using Grey = std::function<float(Point)>;

Sdf Circle(Point c, float r);
Sdf Ellipse(Point c, float rx, float ry);
Sdf Capsule(Point a, Point b, float r);
Sdf RoundBox(Point c, float half_w, float half_h, float r);
Sdf Polygon(std::vector<Point> corners);
Sdf Union(Sdf a, Sdf b);
Sdf Subtract(Sdf a, Sdf b);
Sdf Intersect(Sdf a, Sdf b);
// The shape turned by `degrees` (clockwise on screen) about `pivot`.
Sdf Rotated(Sdf shape, Point pivot, float degrees);
// The shape scaled by (sx, sy) about `pivot`; distances stay roughly in pixels for mild scales.
Sdf Scaled(Sdf shape, Point pivot, float sx, float sy);

Grey Flat(float grey);
// A ball lit from the upper left: bright spot towards the light, darker rim.
Grey Lit(Point centre, float radius, float grey);

class Canvas {
 public:
  Canvas(int width, int height);
  // Paints the shape over what is there; `outline` px of near-black ring the shape first.
  void Paint(const Sdf& shape, const Grey& grey, float outline = 0, float alpha = 1);
  // Adds light with a soft falloff (for glows); alpha rises with the added light.
  void Glow(Point c, float radius, float strength);
  RgbaImage ToImage() const;
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  void Over(int x, int y, float grey, float alpha);
  int width_;
  int height_;
  std::vector<float> grey_;  // straight (not premultiplied) grey
  std::vector<float> alpha_;
};
