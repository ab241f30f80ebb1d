#include "support/png_fixtures.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

std::string FixtureDir(const std::string& name) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("stomp-" + name + "-" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

namespace {

// No object with a destructor lives here: libpng's errors longjmp back into it.
bool Encode(png_structp png, png_infop info, int width, int height, int color_type, int bit_depth,
            png_bytepp rows, const png_color* palette, int palette_size, const png_byte* trns,
            int trns_size, int interlace) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, width, height, bit_depth, color_type, interlace,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (palette_size) png_set_PLTE(png, info, palette, palette_size);
  if (trns_size && color_type == PNG_COLOR_TYPE_PALETTE) {
    png_set_tRNS(png, info, trns, trns_size, nullptr);
  } else if (trns_size) {
    // Without a palette the chunk names one colour, every sample of it trns[0].
    png_color_16 colour{};
    colour.gray = colour.red = colour.green = colour.blue = trns[0];
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

}  // namespace

std::string WritePng(const std::string& path, int width, int height, int color_type, int bit_depth,
                     const std::vector<uint8_t>& samples, const std::vector<uint8_t>& palette,
                     const std::vector<uint8_t>& trns, int interlace) {
  std::vector<uint8_t> data = samples;
  const size_t row_bytes = data.size() / height;
  std::vector<png_bytep> rows(height);
  for (int y = 0; y < height; ++y) rows[y] = data.data() + y * row_bytes;
  std::vector<png_color> colors;
  for (size_t i = 0; i + 2 < palette.size(); i += 3) {
    colors.push_back({palette[i], palette[i + 1], palette[i + 2]});
  }

  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  const bool ok = Encode(png, info, width, height, color_type, bit_depth, rows.data(),
                         colors.data(), static_cast<int>(colors.size()), trns.data(),
                         static_cast<int>(trns.size()), interlace);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  if (!ok) throw std::runtime_error("libpng could not write " + path);
  return path;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
