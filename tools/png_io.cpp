#include "tools/png_io.h"

#include <png.h>

#include <cstring>
#include <fstream>
#include <iterator>

void RgbaImage::Blit(const RgbaImage& src, int x, int y) {
  for (int sy = 0; sy < src.height; ++sy) {
    for (int sx = 0; sx < src.width; ++sx) {
      const int dx = x + sx, dy = y + sy;
      if (dx < 0 || dy < 0 || dx >= width || dy >= height) continue;
      std::memcpy(At(dx, dy), src.At(sx, sy), 4);
    }
  }
}

namespace {

void AppendToBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

struct ReadCursor {
  const Bytes* data;
  std::size_t pos;
};

void ReadFromBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
  if (cursor->pos + length > cursor->data->size()) png_error(png, "truncated PNG data");
  std::memcpy(data, cursor->data->data() + cursor->pos, length);
  cursor->pos += length;
}

// The gray and alpha samples of each pixel, or nothing when some pixel is not gray.
Bytes GrayWithAlpha(const RgbaImage& image) {
  Bytes out;
  out.reserve(image.pixels.size() / 2);
  for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
    const std::uint8_t* px = &image.pixels[i];
    if (px[0] != px[1] || px[0] != px[2]) return {};
    out.push_back(px[0]);
    out.push_back(px[3]);
  }
  return out;
}

}  // namespace

Bytes EncodePng(const RgbaImage& image, PngDeflate deflate) {
  // The sprite sheets are gray (the game tints them): stored as gray with alpha, the game
  // decodes half the bytes and gets the same RGBA pixels back.
  const Bytes gray = GrayWithAlpha(image);
  const int gray_stride = image.width * 2;
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendToBytes, nullptr);
  png_set_compression_level(png, deflate == PngDeflate::kStored ? 0 : 9);
  // Rows unfiltered: the game's start-up spends no time undoing filters, and the flat colours of
  // the compressed pictures compress better so.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, image.width, image.height, 8,
               gray.empty() ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_GRAY_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row =
        gray.empty() ? image.At(0, y) : &gray[static_cast<std::size_t>(y) * gray_stride];
    png_write_row(png, const_cast<png_bytep>(row));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::optional<RgbaImage> DecodePng(const Bytes& data, std::string* error) {
  if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) {
    *error = "not a PNG file";
    return std::nullopt;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  ReadCursor cursor{&data, 0};
  RgbaImage image;
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    *error = "corrupt PNG data";
    return std::nullopt;
  }
  png_set_read_fn(png, &cursor, ReadFromBytes);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  image = RgbaImage(static_cast<int>(png_get_image_width(png, info)),
                    static_cast<int>(png_get_image_height(png, info)));
  for (int y = 0; y < image.height; ++y) rows.push_back(image.At(0, y));
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return image;
}

std::optional<PngHeader> ReadPngHeader(const Bytes& data) {
  // Signature, then the IHDR chunk: length, "IHDR", width, height, depth, colour type.
  if (data.size() < 26 || png_sig_cmp(data.data(), 0, 8) != 0 ||
      std::memcmp(&data[12], "IHDR", 4) != 0)
    return std::nullopt;
  auto be32 = [&](std::size_t at) {
    return static_cast<int>((data[at] << 24) | (data[at + 1] << 16) | (data[at + 2] << 8) |
                            data[at + 3]);
  };
  return PngHeader{be32(16), be32(20), data[24], data[25]};
}

std::optional<Bytes> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(out);
}
