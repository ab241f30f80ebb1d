// CPU-side pixel buffers, pixel formats and the PNG reader and writer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum PixelFormat : int {
  PF_I8 = 1,
  PF_A8 = 2,
  PF_BGR888 = 3,
  PF_RGB888 = 4,
  PF_BGRA8888 = 5,
  PF_RGBA8888 = 6,
};

int BytesPerPixel(int format);
bool FormatHasAlpha(int format);

class TPixmap;
using TPixmapPtr = std::shared_ptr<TPixmap>;

class TPixmap : public std::enable_shared_from_this<TPixmap> {
 public:
  // Rows are `align`-byte aligned (pitch = width x bytes per pixel rounded up); content all zero.
  // Large pixmaps take fresh pages from the system, so bytes never written are never touched.
  static TPixmapPtr Create(int width, int height, int format, int align = 4);

  uint8_t* PixelPtr(int x, int y) const { return pixels + y * pitch + x * BytesPerPixel(format); }
  // A view sharing this pixmap's memory and pitch; keeps this pixmap alive.
  TPixmapPtr Window(int x, int y, int width, int height);
  TPixmapPtr Copy() const;
  void Paste(const TPixmap& source, int x, int y);  // converts the pixel format
  void FlipRows();                                  // top row last, in place
  TPixmapPtr Convert(int format) const;

  uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
  int format = 0;
  int capacity = 0;  // bytes owned, or -1 for a view
  TPixmapPtr _source;

 private:
  struct FreeBytes {
    void operator()(uint8_t* bytes) const;
  };
  std::unique_ptr<uint8_t, FreeBytes> _storage;
};

// Decodes a PNG file into an I8, RGB888 or RGBA8888 pixmap; nullptr for a missing, short, corrupt
// or unsupported file (no message).
TPixmapPtr LoadPixmapPNG(const std::string& path);

// Writes an RGBA8888 pixmap as a PNG file; false on failure.
bool SavePixmapPNG(const TPixmap& pixmap, const std::string& path);

// Masks a pixmap with a colour: that colour becomes transparent and takes the mean colour of its
// non-mask 3x3 neighbours; every other pixel becomes opaque. Result is RGBA8888.
TPixmapPtr MaskPixmap(const TPixmap& pixmap, int mr, int mg, int mb);
// The same on an RGBA8888 pixmap, in place: its own alpha is replaced.
void MaskRgbaPixmap(TPixmap& pixmap, int mr, int mg, int mb);

// Bilinear resample with sample centres aligned, clamped to the edge. RGBA8888 in and out.
TPixmapPtr ResamplePixmap(const TPixmap& pixmap, int width, int height);
