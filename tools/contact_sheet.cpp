#include "tools/contact_sheet.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTargetWidth = 1024;
constexpr int kMargin = 16;
constexpr int kLabelHeight = 32;

int ScaleFor(const RgbaImage& image) { return std::clamp(kTargetWidth / image.width, 1, 4); }

}  // namespace

RgbaImage DrawContactSheet(const std::vector<NamedSheet>& sheets, const FontSheet& font) {
  int height = kMargin;
  for (const NamedSheet& s : sheets)
    height += kLabelHeight + s.image.height * ScaleFor(s.image) + kMargin;
  RgbaImage out(kTargetWidth + 2 * kMargin, height);
  for (std::size_t i = 0; i < out.pixels.size(); i += 4) {
    out.pixels[i] = out.pixels[i + 1] = out.pixels[i + 2] = 0x20;
    out.pixels[i + 3] = 255;
  }
  int top = kMargin;
  for (const NamedSheet& s : sheets) {
    font.DrawText(out, s.name, kMargin, top, 0xFFFFFF, 1, 1);
    top += kLabelHeight;
    const int scale = ScaleFor(s.image);
    for (int y = 0; y < s.image.height * scale; ++y) {
      for (int x = 0; x < s.image.width * scale; ++x) {
        const std::uint8_t* src = s.image.At(x / scale, y / scale);
        const bool odd_cell = ((x / scale / s.cell) + (y / scale / s.cell)) % 2 == 1;
        const float back = odd_cell ? 0x3A : 0x44, a = src[3] / 255.f;
        std::uint8_t* dst = out.At(kMargin + x, top + y);
        dst[0] = dst[1] = dst[2] =
            static_cast<std::uint8_t>(std::lround(src[0] * a + back * (1 - a)));
      }
    }
    top += s.image.height * scale + kMargin;
  }
  return out;
}
