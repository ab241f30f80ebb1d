// The bitmap font: 256 glyph cells of 32x32 rendered with FreeType, and its metrics file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "tools/png_io.h"

inline constexpr int kGlyphCell = 32;
inline constexpr int kGlyphsAcross = 16;

struct FontSheet {
  RgbaImage sheet;  // 512x512, cell n at column n mod 16, row n div 16
  std::array<int, 256> widths{};
  int sp = 0, yb = 0, yc = 0, yt = 0, xo = 0;

  // The text of gfx/font.dat: the 256 widths, then sp yb yc yt xo, ending with a line break.
  std::string MetricsText() const;
  // Draws text the way the game does with left alignment and vertical alignment 0, for the
  // docs pictures; `shrink` 2 draws at half size.
  void DrawText(RgbaImage& target, const std::string& text, int x, int y, std::uint32_t rgb,
                float alpha, int shrink = 2) const;
};

// Settings from assets/font.txt: "file PATH", "licence PATH", "pixel_size N", "pen_x N", "spacing
// N".
struct FontSettings {
  std::string file;
  std::string licence;
  int pixel_size = 0;
  int pen_x = 0;
  int spacing = 0;
};
std::optional<FontSettings> ParseFontSettings(const std::string& text, std::string* error);

std::optional<FontSheet> RenderFont(const FontSettings& settings, std::string* error);
