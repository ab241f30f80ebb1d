// The desktop icon: the figure's standing frame, scaled and tinted in the figure's own colour, on a
// dark rounded square, so the launcher shows the character the player steers. Every size is laid
// out as the 64-pixel one, scaled.
#include <algorithm>
#include <array>
#include <cmath>

#include "tools/canvas.h"
#include "tools/sprites.h"

namespace {

constexpr int kLayoutSize = 64;
constexpr int kCell = 32;
constexpr float kLayoutScale = 1.75f;  // 32 px frame -> 56 px of 64, leaving a 4 px margin
constexpr float kTint[3] = {0x00 / 255.f, 0xF0 / 255.f,
                            0xFF / 255.f};  // the figure's colour in play

using Premultiplied = std::array<float, 4>;  // r, g, b scaled by alpha, then alpha; all 0..1

Premultiplied Texel(const RgbaImage& frame, int x, int y) {
  if (x < 0 || y < 0 || x >= kCell || y >= kCell) return {0, 0, 0, 0};
  const std::uint8_t* p = frame.At(x, y);
  const float a = p[3] / 255.f;
  return {p[0] / 255.f * a, p[1] / 255.f * a, p[2] / 255.f * a, a};
}

// Where a sample at `f` (in frame pixels) reads when the frame is enlarged `sharpness` times: the
// middle of each texel is flat and only its edge blends, so big icons keep the pixel art crisp.
// A sharpness of 1 leaves `f` as it is (plain bilinear).
float Sharpened(float f, int sharpness) {
  if (sharpness == 1) return f;
  const float texel = std::floor(f);
  const float from_middle = f - texel - 0.5f;
  const float flat = 0.5f - 0.5f / sharpness;
  return texel + (from_middle - std::clamp(from_middle, -flat, flat)) * sharpness + 0.5f;
}

// Bilinear sample at a point in frame pixels; premultiplied, so transparent texels add no dark
// fringe.
Premultiplied Sample(const RgbaImage& frame, float fx, float fy, int sharpness) {
  const float x = Sharpened(fx, sharpness) - 0.5f, y = Sharpened(fy, sharpness) - 0.5f;
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

// The figure's cover of one icon pixel, averaged over `samples` x `samples` points so that small
// icons shrink the frame without aliasing.
Premultiplied Cover(const RgbaImage& frame, int x, int y, float offset, float scale, int samples,
                    int sharpness) {
  Premultiplied sum{};
  for (int sy = 0; sy < samples; ++sy) {
    for (int sx = 0; sx < samples; ++sx) {
      const float px = x + (sx + 0.5f) / samples, py = y + (sy + 0.5f) / samples;
      const Premultiplied s =
          Sample(frame, (px - offset) / scale, (py - offset) / scale, sharpness);
      for (int i = 0; i < 4; ++i) sum[i] += s[i];
    }
  }
  for (float& v : sum) v /= samples * samples;
  return sum;
}

}  // namespace

RgbaImage DrawIcon(int size) {
  const float unit = static_cast<float>(size) / kLayoutSize;
  const float mid = size / 2.f;
  Canvas back(size, size);
  back.Paint(RoundBox({mid, mid}, 31 * unit, 31 * unit, 11 * unit), Flat(0.22f));
  back.Paint(RoundBox({mid, mid}, 29 * unit, 29 * unit, 9.5f * unit), Flat(0.09f));
  RgbaImage icon = back.ToImage();

  const RgbaImage sheet = DrawFigureSheet();
  RgbaImage frame(kCell, kCell);
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) std::copy_n(sheet.At(x, y), 4, frame.At(x, y));

  const float scale = kLayoutScale * unit;
  const float offset = (size - kCell * scale) / 2;
  const int samples = static_cast<int>(std::ceil(1 / scale));
  const int sharpness = std::max(1, static_cast<int>(scale));
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const Premultiplied fig = Cover(frame, x, y, offset, scale, samples, sharpness);
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
