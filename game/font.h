// The bitmap font: 256 square glyph cells and per-character widths.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "engine/image.h"

class TFo {
 public:
  // Reads path + ".dat" (metrics) and path + ".png" (glyph sheet of 256 size x size cells).
  static std::unique_ptr<TFo> Load(const std::string& path, int size);

  // xalign 1: x is the right end, 2: centred on x, other: left start.
  // yalign 1: cell row yb on y, 2: yc on y, other: yt on y.
  void Dr(const std::string& text, int x, int y, int xalign, int yalign) const;
  int GW(const std::string& text) const;

  TImagePtr img;
  int sz = 0;
  std::array<int, 256> ws{};
  int sp = 0;
  int yb = 0;
  int yc = 0;
  int yt = 0;
  int xo = 0;
};
