#include "engine/pixmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct Rgba {
  uint8_t r, g, b, a;
};

Rgba ReadPixel(int format, const uint8_t* p) {
  switch (format) {
    case PF_I8: return {p[0], p[0], p[0], 255};
    case PF_A8: return {255, 255, 255, p[0]};
    case PF_BGR888: return {p[2], p[1], p[0], 255};
    case PF_RGB888: return {p[0], p[1], p[2], 255};
    case PF_BGRA8888: return {p[2], p[1], p[0], p[3]};
    default: return {p[0], p[1], p[2], p[3]};
  }
}

void WritePixel(int format, uint8_t* p, Rgba c) {
  switch (format) {
    case PF_I8: p[0] = static_cast<uint8_t>((c.r + c.g + c.b) / 3); break;
    case PF_A8: p[0] = c.a; break;
    case PF_BGR888:
      p[0] = c.b;
      p[1] = c.g;
      p[2] = c.r;
      break;
    case PF_RGB888:
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      break;
    case PF_BGRA8888:
      p[0] = c.b;
      p[1] = c.g;
      p[2] = c.r;
      p[3] = c.a;
      break;
    default:
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = c.a;
      break;
  }
}

// The pixmap itself when it is RGBA8888, else a converted copy kept alive by `holder`.
const TPixmap& AsRgba(const TPixmap& pixmap, TPixmapPtr& holder) {
  if (pixmap.format == PF_RGBA8888) return pixmap;
  holder = pixmap.Convert(PF_RGBA8888);
  return *holder;
}

}  // namespace

int BytesPerPixel(int format) {
  switch (format) {
    case PF_I8:
    case PF_A8: return 1;
    case PF_BGR888:
    case PF_RGB888: return 3;
    default: return 4;
  }
}

bool FormatHasAlpha(int format) {
  return format == PF_A8 || format == PF_BGRA8888 || format == PF_RGBA8888;
}

TPixmapPtr TPixmap::Create(int width, int height, int format, int align) {
  auto pixmap = std::make_shared<TPixmap>();
  const int row = width * BytesPerPixel(format);
  pixmap->width = width;
  pixmap->height = height;
  pixmap->format = format;
  pixmap->pitch = align > 1 ? (row + align - 1) / align * align : row;
  pixmap->capacity = pixmap->pitch * height;
  pixmap->_storage.resize(static_cast<size_t>(pixmap->capacity));
  pixmap->pixels = pixmap->_storage.data();
  return pixmap;
}

TPixmapPtr TPixmap::Window(int x, int y, int w, int h) {
  if (x < 0 || y < 0 || w < 0 || h < 0 || x + w > width || y + h > height) return nullptr;
  auto view = std::make_shared<TPixmap>();
  view->pixels = PixelPtr(x, y);
  view->width = w;
  view->height = h;
  view->pitch = pitch;
  view->format = format;
  view->capacity = -1;
  view->_source = shared_from_this();
  return view;
}

TPixmapPtr TPixmap::Copy() const {
  TPixmapPtr copy = Create(width, height, format);
  const size_t row = static_cast<size_t>(width) * BytesPerPixel(format);
  for (int y = 0; y < height; ++y) std::memcpy(copy->PixelPtr(0, y), PixelPtr(0, y), row);
  return copy;
}

void TPixmap::Paste(const TPixmap& source, int x, int y) {
  // Clip to this pixmap so a paste near the edge never writes outside it.
  const int x0 = std::max(0, -x), y0 = std::max(0, -y);
  const int x1 = std::min(source.width, width - x), y1 = std::min(source.height, height - y);
  for (int sy = y0; sy < y1; ++sy) {
    for (int sx = x0; sx < x1; ++sx) {
      WritePixel(format, PixelPtr(x + sx, y + sy),
                 ReadPixel(source.format, source.PixelPtr(sx, sy)));
    }
  }
}

TPixmapPtr TPixmap::Convert(int to_format) const {
  TPixmapPtr converted = Create(width, height, to_format);
  converted->Paste(*this, 0, 0);
  return converted;
}

TPixmapPtr MaskPixmap(const TPixmap& pixmap, int mr, int mg, int mb) {
  TPixmapPtr holder;
  const TPixmap& src = AsRgba(pixmap, holder);
  TPixmapPtr result = TPixmap::Create(pixmap.width, pixmap.height, PF_RGBA8888);
  auto is_mask = [&](const uint8_t* p) { return p[0] == mr && p[1] == mg && p[2] == mb; };
  for (int y = 0; y < src.height; ++y) {
    for (int x = 0; x < src.width; ++x) {
      const uint8_t* in = src.PixelPtr(x, y);
      uint8_t* out = result->PixelPtr(x, y);
      if (!is_mask(in)) {
        out[0] = in[0], out[1] = in[1], out[2] = in[2], out[3] = 255;
        continue;
      }
      // A transparent pixel takes its neighbours' colour so filtering leaves no dark fringe.
      int sum[3] = {0, 0, 0}, count = 0;
      for (int ny = std::max(0, y - 1); ny <= std::min(src.height - 1, y + 1); ++ny) {
        for (int nx = std::max(0, x - 1); nx <= std::min(src.width - 1, x + 1); ++nx) {
          const uint8_t* n = src.PixelPtr(nx, ny);
          if (is_mask(n)) continue;
          sum[0] += n[0], sum[1] += n[1], sum[2] += n[2];
          ++count;
        }
      }
      for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(count ? sum[c] / count : 0);
      out[3] = 0;
    }
  }
  return result;
}

TPixmapPtr ResamplePixmap(const TPixmap& pixmap, int width, int height) {
  TPixmapPtr holder;
  const TPixmap& src = AsRgba(pixmap, holder);
  TPixmapPtr result = TPixmap::Create(width, height, PF_RGBA8888);
  // Source coordinate of a target sample centre, split into a texel index and a weight.
  auto locate = [](int i, int src_size, int dst_size, int& i0, int& i1, float& t) {
    float pos = (i + 0.5f) * src_size / dst_size - 0.5f;
    pos = std::clamp(pos, 0.0f, static_cast<float>(src_size - 1));
    i0 = static_cast<int>(pos);
    i1 = std::min(i0 + 1, src_size - 1);
    t = pos - i0;
  };
  for (int y = 0; y < height; ++y) {
    int y0, y1;
    float ty;
    locate(y, src.height, height, y0, y1, ty);
    for (int x = 0; x < width; ++x) {
      int x0, x1;
      float tx;
      locate(x, src.width, width, x0, x1, tx);
      uint8_t* out = result->PixelPtr(x, y);
      for (int c = 0; c < 4; ++c) {
        const float top = src.PixelPtr(x0, y0)[c] * (1 - tx) + src.PixelPtr(x1, y0)[c] * tx;
        const float bottom = src.PixelPtr(x0, y1)[c] * (1 - tx) + src.PixelPtr(x1, y1)[c] * tx;
        out[c] = static_cast<uint8_t>(std::lround(top * (1 - ty) + bottom * ty));
      }
    }
  }
  return result;
}
