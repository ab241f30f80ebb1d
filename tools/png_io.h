// Deterministic PNG encoding and plain decoding for the data generators and the validator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// An 8-bit RGBA picture, rows top to bottom, 4 bytes per pixel.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  RgbaImage() = default;
  RgbaImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 4, 0) {}
  std::uint8_t* At(int x, int y) { return &pixels[(static_cast<std::size_t>(y) * width + x) * 4]; }
  const std::uint8_t* At(int x, int y) const {
    return &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
  }
  // Copies `src` with its top-left corner at (x, y); pixels outside this image are dropped.
  void Blit(const RgbaImage& src, int x, int y);
};

// How the pixel data is deflated. The sheets the game decodes at every start are stored: reading
// their megabyte costs it less than inflating a tenth of that. Pictures people fetch or install
// (icons, the docs' pictures) are made as small as zlib can.
enum class PngDeflate { kStored, kSmallest };

// Same pixels give the same bytes: fixed compression level and filters, no time or text chunks.
Bytes EncodePng(const RgbaImage& image, PngDeflate deflate);

// Decodes any 8-bit PNG to RGBA; nullopt with `error` set when the data is not a usable PNG.
std::optional<RgbaImage> DecodePng(const Bytes& data, std::string* error);

// What the PNG header says, without decoding the pixels.
struct PngHeader {
  int width = 0;
  int height = 0;
  int bit_depth = 0;
  int colour_type = 0;  // 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
};
std::optional<PngHeader> ReadPngHeader(const Bytes& data);

std::optional<Bytes> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const Bytes& data);
