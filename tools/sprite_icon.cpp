// The desktop icon: the figure's standing frame, enlarged and tinted in the figure's own colour, on
// a dark rounded square, so the launcher shows the character the player steers.
#include <algorithm>
#include <array>
#include <cmath>

#include "tools/canvas.h"
#include "tools/sprites.h"

namespace {

constexpr int kSize = 64;
constexpr int kCell = 32;
constexpr float kScale = 1.75f;  // 32 px frame -> 56 px, leaving a 4 px margin
constexpr float kTint[3] = {0x00 / 255.f, 0xF0 / 255.f,
                            0xFF / 255.f};  // the figure's colour in play

using Premultiplied = std::array<float, 4>;  // r, g, b scaled by alpha, then alpha; all 0..1

Premultiplied Texel(const RgbaImage& frame, int x, int y) {
  if (x < 0 || y < 0 || x >= kCell || y >= kCell) return {0, 0, 0, 0};
  const std::uint8_t* p = frame.At(x, y);
  const float a = p[3] / 255.f;
  return {p[0] / 255.f * a, p[1] / 255.f * a, p[2] / 255.f * a, a};
}

// Bilinear sample at a point in frame pixels; premultiplied, so transparent texels add no dark
// fringe.
Premultiplied Sample(const RgbaImage& frame, float fx, float fy) {
  const float x = fx - 0.5f, y = fy - 0.5f;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const float tx = x - x0, ty = y - y0;
  const Premultiplied a = Texel(frame, x0, y0), b = Texel(frame, x0 + 1, y0);
  const Premultiplied c = Texel(frame, x0, y0 + 1), d = Texel(frame, x0 + 1, y0 + 1);
  Premultiplied out{};
  for (int i = 0; i < 4; ++i) {
    const float top = a[i] + (b[i] - a[i]) * tx;
    const float bottom = c[i] + (d[i] - c[i]) * tx;
    out[i] = top + (bottom - top) * ty;
  }
  return out;
}

std::uint8_t ToByte(float v) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.f, 1.f) * 255));
}

}  // namespace

RgbaImage DrawIcon() {
  Canvas back(kSize, kSize);
  back.Paint(RoundBox({32, 32}, 31, 31, 11), Flat(0.22f));
  back.Paint(RoundBox({32, 32}, 29, 29, 9.5f), Flat(0.09f));
  RgbaImage icon = back.ToImage();

  const RgbaImage sheet = DrawFigureSheet();
  RgbaImage frame(kCell, kCell);
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) std::copy_n(sheet.At(x, y), 4, frame.At(x, y));

  const float offset = (kSize - kCell * kScale) / 2;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const Premultiplied fig =
          Sample(frame, (x + 0.5f - offset) / kScale, (y + 0.5f - offset) / kScale);
      std::uint8_t* px = icon.At(x, y);
      const float under = px[3] / 255.f;
      const float alpha = fig[3] + under * (1 - fig[3]);
      if (alpha <= 0) continue;
      for (int i = 0; i < 3; ++i) {
        const float colour = fig[i] * kTint[i] + px[i] / 255.f * under * (1 - fig[3]);
        px[i] = ToByte(colour / alpha);
      }
      px[3] = ToByte(alpha);
    }
  }
  return icon;
}
