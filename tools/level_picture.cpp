#include "tools/level_picture.h"

#include <string>

#include "tools/level_rules.h"

namespace {

constexpr std::uint32_t kGroupColours[kSpawnGroups] = {0x00F0FF, 0xFF00F0, 0xFF005A, 0xFF5A00,
                                                       0xFF00F0, 0xFF005A, 0xFF5A00};

void Put(RgbaImage& image, int x, int y, std::uint32_t rgb, float alpha = 1) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  std::uint8_t* px = image.At(x, y);
  for (int i = 0; i < 3; ++i) {
    const float src = static_cast<float>((rgb >> (16 - 8 * i)) & 255);
    // Both terms are 0..255, so adding a half rounds.
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    px[i] = static_cast<std::uint8_t>(src * alpha + px[i] * (1 - alpha) + 0.5f);
  }
  px[3] = 255;
}

void FillRect(RgbaImage& image, int x, int y, int w, int h, std::uint32_t rgb, float alpha = 1) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) Put(image, i, j, rgb, alpha);
}

void FrameRect(RgbaImage& image, int x, int y, int w, int h, std::uint32_t rgb) {
  FillRect(image, x, y, w, 1, rgb);
  FillRect(image, x, y + h - 1, w, 1, rgb);
  FillRect(image, x, y, 1, h, rgb);
  FillRect(image, x + w - 1, y, 1, h, rgb);
}

}  // namespace

RgbaImage DrawLevelPicture(const Level& level, const FontSheet& font) {
  RgbaImage image(kMapColumns * kCellSize, kMapRows * kCellSize);
  for (int r = 0; r < kMapRows; ++r) {
    for (int c = 0; c < kMapColumns; ++c) {
      const int value = level.Cell(c, r);
      const std::uint32_t fill = value == kOpenCell    ? 0x444444
                                 : value == kSolidCell ? 0x101010
                                                       : 0x202838;
      FillRect(image, c * kCellSize, r * kCellSize, kCellSize, kCellSize, fill);
      FrameRect(image, c * kCellSize, r * kCellSize, kCellSize, kCellSize,
                value == kOpenCell ? 0x4C4C4C : 0x181818);
    }
  }
  for (int group = 0; group < kSpawnGroups; ++group) {
    for (const SpawnCell& cell : level.spawns[group]) {
      const SpawnCell p = SpawnPixel(group, cell);
      for (const Box& b : SpawnBoxes(group)) {
        FillRect(image, p.column + b[0], p.row + b[1], b[2], b[3], kGroupColours[group], 0.35f);
        FrameRect(image, p.column + b[0], p.row + b[1], b[2], b[3], kGroupColours[group]);
      }
      FillRect(image, p.column - 1, p.row - 1, 3, 3, 0xFFFFFF);
      font.DrawText(image, std::to_string(group), cell.column * kCellSize + 3,
                    cell.row * kCellSize - 5, 0xFFFFFF, 0.5f);
    }
  }
  return image;
}
