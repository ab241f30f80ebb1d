// PNG decoding and encoding with libpng, through the engine's file streams.
//
// libpng reports errors by longjmp back to a setjmp. The functions that hold the setjmp own no
// object with a destructor, so a longjmp never skips one; everything with a destructor lives in
// their callers, whose frames the longjmp does not cross.
#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/pixmap.h"
#include "engine/stream.h"

namespace {

constexpr int kSignatureBytes = 8;

// Errors are answered with nullptr or false; libpng must print nothing.
void SilentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void SilentWarning(png_structp, png_const_charp) {}

// No block libpng needs for an image of at most 8192 pixels a side comes near this (it allocates
// row by row); a broken length field asking for more is refused before any memory is taken, and
// libpng then rejects the file.
constexpr size_t kLargestBlock = 16u << 20;

png_voidp BoundedMalloc(png_structp, png_alloc_size_t size) {
  return size > kLargestBlock ? nullptr : std::malloc(size);
}

void BoundedFree(png_structp, png_voidp block) { std::free(block); }

void ReadFromStream(png_structp png, png_bytep data, size_t length) {
  auto* stream = static_cast<TCStream*>(png_get_io_ptr(png));
  if (stream->Read(data, static_cast<int>(length)) != static_cast<int>(length)) {
    png_error(png, "short read");
  }
}

void WriteToStream(png_structp png, png_bytep data, size_t length) {
  auto* stream = static_cast<TCStream*>(png_get_io_ptr(png));
  if (stream->Write(data, static_cast<int>(length)) != static_cast<int>(length)) {
    png_error(png, "short write");
  }
}

void FlushStream(png_structp) {}

// Asks libpng for 8-bit samples (palette and low bit depths expanded, a transparency chunk made
// a full alpha channel), so that the decoded rows go straight into the pixmap; false on any error.
bool ReadHeader(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_sig_bytes(png, kSignatureBytes);
  png_read_info(png, info);
  png_set_strip_16(png);
  png_set_expand(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return true;
}

// Format of the pixmap the decoded rows make, or 0 when the layout is not one the engine keeps.
int DecodedFormat(png_structp png, png_infop info) {
  if (png_get_bit_depth(png, info) != 8) return 0;
  switch (png_get_color_type(png, info)) {
    case PNG_COLOR_TYPE_GRAY: return PF_I8;
    case PNG_COLOR_TYPE_RGB: return PF_RGB888;
    case PNG_COLOR_TYPE_RGB_ALPHA:
    case PNG_COLOR_TYPE_GRAY_ALPHA: return PF_RGBA8888;
    default: return 0;
  }
}

// Widens a row of gray and alpha pairs, held in the second half of the same RGBA row, to gray,
// gray, gray, alpha. A block of pixels is read whole before it is written, and its output never
// reaches the pairs of the blocks after it (4x + 64 <= 2 width + 2 (x + 16) while x <= width - 16).
// Word arithmetic on the block lets the compiler widen it in vector registers; libpng's own
// widening, a byte at a time, cost more than inflating the pairs.
void WidenGrayAlphaRow(uint8_t* row, int width) {
  constexpr int kBlock = 16;
  constexpr bool kLittle = std::endian::native == std::endian::little;
  const uint8_t* pairs = row + 2 * width;
  int x = 0;
  for (; x + kBlock <= width; x += kBlock) {
    uint16_t in[kBlock];
    uint32_t out[kBlock];
    std::memcpy(in, pairs + 2 * x, sizeof in);
    for (int i = 0; i < kBlock; ++i) {
      // One half of the output word is the pair as it stands, the other the gray byte twice.
      const uint32_t gray = kLittle ? in[i] & 0xFFu : in[i] >> 8;
      const uint32_t gray_gray = gray * 0x0101u;
      out[i] = kLittle ? gray_gray | static_cast<uint32_t>(in[i]) << 16 : gray_gray << 16 | in[i];
    }
    std::memcpy(row + 4 * x, out, sizeof out);
  }
  for (; x < width; ++x) {
    const uint8_t gray = pairs[2 * x], alpha = pairs[2 * x + 1];
    row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = gray;
    row[4 * x + 3] = alpha;
  }
}

bool ReadRows(png_structp png, png_infop info, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, info);
  return true;
}

// Decodes into a new pixmap; nullptr when the header or the data is bad or the layout unknown.
TPixmapPtr DecodePixmap(png_structp png, png_infop info) {
  if (!ReadHeader(png, info)) return nullptr;
  const int format = DecodedFormat(png, info);
  if (!format) return nullptr;
  TPixmapPtr pixmap = TPixmap::Create(static_cast<int>(png_get_image_width(png, info)),
                                      static_cast<int>(png_get_image_height(png, info)), format);
  // Gray with alpha is decoded into the right half of each row and widened there.
  const bool gray_alpha = png_get_color_type(png, info) == PNG_COLOR_TYPE_GRAY_ALPHA;
  const int pairs_at = gray_alpha ? 2 * pixmap->width : 0;
  std::vector<png_bytep> rows(static_cast<size_t>(pixmap->height));
  for (int y = 0; y < pixmap->height; ++y) rows[y] = pixmap->PixelPtr(0, y) + pairs_at;
  if (!ReadRows(png, info, rows.data())) return nullptr;
  if (gray_alpha) {
    for (int y = 0; y < pixmap->height; ++y)
      WidenGrayAlphaRow(pixmap->PixelPtr(0, y), pixmap->width);
  }
  return pixmap;
}

TPixmapPtr DecodeStream(TCStream& stream) {
  png_byte signature[kSignatureBytes];
  if (stream.Read(signature, kSignatureBytes) != kSignatureBytes ||
      png_sig_cmp(signature, 0, kSignatureBytes) != 0) {
    return nullptr;
  }
  png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, SilentError,
                                             SilentWarning, nullptr, BoundedMalloc, BoundedFree);
  if (!png) return nullptr;
  png_set_user_limits(png, 8192, 8192);
  // Every chunk's CRC-32 already guards the compressed bytes; zlib's second checksum, over the
  // decoded bytes, was a quarter of the decoding time.
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
  png_infop info = png_create_info_struct(png);
  TPixmapPtr pixmap;
  if (info) {
    png_set_read_fn(png, &stream, ReadFromStream);
    pixmap = DecodePixmap(png, info);
  }
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  return pixmap;
}

bool EncodeRows(png_structp png, png_infop info, const TPixmap& pixmap, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(pixmap.width),
               static_cast<png_uint_32>(pixmap.height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

}  // namespace

// Called by TImage::Load and LoadAnim, before or after the window exists.
TPixmapPtr LoadPixmapPNG(const std::string& path) {
  TStreamPtr stream = ReadStream(path);
  if (!stream) return nullptr;
  TPixmapPtr pixmap = DecodeStream(*stream);
  stream->Close();
  return pixmap;
}

// Called by the headless screenshot hook, tools and tests.
bool SavePixmapPNG(const TPixmap& pixmap, const std::string& path) {
  TPixmapPtr rgba = pixmap.format == PF_RGBA8888 ? nullptr : pixmap.Convert(PF_RGBA8888);
  const TPixmap& source = rgba ? *rgba : pixmap;
  std::vector<png_bytep> rows(static_cast<size_t>(source.height));
  for (int y = 0; y < source.height; ++y) rows[y] = source.PixelPtr(0, y);

  TStreamPtr stream = WriteStream(path);
  if (!stream) return false;
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool written = false;
  if (info) {
    png_set_write_fn(png, stream.get(), WriteToStream, FlushStream);
    written = EncodeRows(png, info, source, rows.data());
  }
  if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  try {
    stream->Close();
  } catch (const TStreamException&) { return false; }
  return written;
}
