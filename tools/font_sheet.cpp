#include "tools/font_sheet.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <sstream>

std::string FontSheet::MetricsText() const {
  std::string out;
  for (int i = 0; i < 256; ++i) out += std::to_string(widths[i]) + ((i % 16 == 15) ? "\n" : " ");
  out += std::to_string(sp) + " " + std::to_string(yb) + " " + std::to_string(yc) + " " +
         std::to_string(yt) + " " + std::to_string(xo) + "\n";
  return out;
}

void FontSheet::DrawText(RgbaImage& target, const std::string& text, int x, int y,
                         std::uint32_t rgb, float alpha, int shrink) const {
  // The pen starts on a whole pixel.
  float pen = static_cast<float>(x - xo / shrink);  // NOLINT(bugprone-integer-division)
  for (unsigned char ch : text) {
    const int cx = (ch % kGlyphsAcross) * kGlyphCell, cy = (ch / kGlyphsAcross) * kGlyphCell;
    for (int j = 0; j < kGlyphCell / shrink; ++j) {
      for (int i = 0; i < kGlyphCell / shrink; ++i) {
        float grey = 0, cover = 0;
        for (int v = 0; v < shrink; ++v)
          for (int u = 0; u < shrink; ++u) {
            const std::uint8_t* px = sheet.At(cx + i * shrink + u, cy + j * shrink + v);
            grey += px[0] * px[3] / 255.f;
            cover += px[3];
          }
        const float a = cover / (255.f * shrink * shrink) * alpha;
        const int tx = static_cast<int>(pen) + i, ty = y + j;
        if (a <= 0 || tx < 0 || ty < 0 || tx >= target.width || ty >= target.height) continue;
        std::uint8_t* out = target.At(tx, ty);
        const float lum = cover > 0 ? grey * 255.f / cover / 255.f : 0;
        for (int k = 0; k < 3; ++k) {
          const float src = static_cast<float>((rgb >> (16 - 8 * k)) & 255) * lum;
          out[k] = static_cast<std::uint8_t>(std::lround(src * a + out[k] * (1 - a)));
        }
        out[3] = std::max<std::uint8_t>(out[3], static_cast<std::uint8_t>(std::lround(a * 255)));
      }
    }
    pen += static_cast<float>(widths[ch] + sp) / static_cast<float>(shrink);
  }
}

std::optional<FontSettings> ParseFontSettings(const std::string& text, std::string* error) {
  FontSettings s;
  std::istringstream in(text);
  std::string key;
  while (in >> key) {
    if (key[0] == ';') {
      std::getline(in, key);
      continue;
    }
    if (key == "file")
      in >> s.file;
    else if (key == "licence")
      in >> s.licence;
    else if (key == "pixel_size")
      in >> s.pixel_size;
    else if (key == "pen_x")
      in >> s.pen_x;
    else if (key == "spacing")
      in >> s.spacing;
    else {
      *error = "font settings: unknown key '" + key + "'";
      return std::nullopt;
    }
  }
  if (s.file.empty() || s.licence.empty() || s.pixel_size <= 0) {
    *error = "font settings need a file, a licence and a positive pixel_size";
    return std::nullopt;
  }
  return s;
}

namespace {

// Codes without a printable Latin-1 character get an empty cell and width 0.
bool Printable(int code) { return (code >= 32 && code < 127) || code >= 160; }

}  // namespace

std::optional<FontSheet> RenderFont(const FontSettings& settings, std::string* error) {
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0) {
    *error = "cannot start FreeType";
    return std::nullopt;
  }
  FT_Face face;
  if (FT_New_Face(library, settings.file.c_str(), 0, &face) != 0) {
    FT_Done_FreeType(library);
    *error = "cannot open font " + settings.file;
    return std::nullopt;
  }
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(settings.pixel_size));
  const float ascent = face->size->metrics.ascender / 64.f,
              descent = -face->size->metrics.descender / 64.f;
  const int baseline =
      static_cast<int>(std::lround((kGlyphCell - (ascent + descent)) / 2 + ascent));

  FontSheet font;
  font.sheet = RgbaImage(kGlyphCell * kGlyphsAcross, kGlyphCell * kGlyphsAcross);
  font.sp = settings.spacing;
  font.xo = settings.pen_x;
  font.yb = baseline;
  int cap_top = baseline, top = baseline;
  for (int code = 0; code < 256; ++code) {
    if (!Printable(code) || FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0)
      continue;
    FT_GlyphSlot g = face->glyph;
    font.widths[code] = static_cast<int>(std::lround(g->advance.x / 64.0));
    if (code == 'H') cap_top = baseline - g->bitmap_top;
    if (code < 127) top = std::min(top, baseline - g->bitmap_top);
    // Coverage in the cell with the pen at column xo, then a dark ring one pixel wide so text
    // stays readable over the level and the sprites.
    std::vector<float> cover(kGlyphCell * kGlyphCell, 0.f);
    for (unsigned row = 0; row < g->bitmap.rows; ++row) {
      for (unsigned col = 0; col < g->bitmap.width; ++col) {
        const int x = font.xo + g->bitmap_left + static_cast<int>(col);
        const int y = baseline - g->bitmap_top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= kGlyphCell || y >= kGlyphCell) continue;
        cover[y * kGlyphCell + x] = g->bitmap.buffer[row * g->bitmap.pitch + col] / 255.f;
      }
    }
    const int ox = (code % kGlyphsAcross) * kGlyphCell, oy = (code / kGlyphsAcross) * kGlyphCell;
    for (int y = 0; y < kGlyphCell; ++y) {
      for (int x = 0; x < kGlyphCell; ++x) {
        float ring = 0;
        for (int v = -1; v <= 1; ++v)
          for (int u = -1; u <= 1; ++u) {
            const int nx = x + u, ny = y + v;
            if (nx >= 0 && ny >= 0 && nx < kGlyphCell && ny < kGlyphCell)
              ring = std::max(ring, cover[ny * kGlyphCell + nx]);
          }
        const float c = cover[y * kGlyphCell + x], shadow = ring * 0.6f;
        const float alpha = c + shadow * (1 - c);
        std::uint8_t* px = font.sheet.At(ox + x, oy + y);
        const auto grey = static_cast<std::uint8_t>(alpha > 0 ? std::lround(255 * c / alpha) : 0);
        px[0] = px[1] = px[2] = grey;
        px[3] = static_cast<std::uint8_t>(std::lround(alpha * 255));
      }
    }
  }
  // Centring on the capitals' middle keeps mixed text visually centred between the menu bars.
  font.yc = (baseline + cap_top) / 2;
  font.yt = top;
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return font;
}
