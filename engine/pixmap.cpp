#include "engine/pixmap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

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

// Gives the transparent pixel (x, y) the mean colour of its opaque neighbours, of which there are
// count (black when none).
void TakeNeighboursMean(TPixmap& pixmap, int x, int y, int count) {
  int sum[3] = {0, 0, 0};
  const int left = std::max(0, x - 1), right = std::min(pixmap.width - 1, x + 1);
  for (int ny = std::max(0, y - 1); count && ny <= std::min(pixmap.height - 1, y + 1); ++ny) {
    const uint8_t* n = pixmap.PixelPtr(left, ny);
    for (int nx = left; nx <= right; ++nx, n += 4) {
      if (n[3] == 0) continue;
      sum[0] += n[0], sum[1] += n[1], sum[2] += n[2];
    }
  }
  uint8_t* out = pixmap.PixelPtr(x, y);
  for (int c = 0; c < 3; ++c) {
    const uint8_t mean = static_cast<uint8_t>(count ? sum[c] / count : 0);
    if (out[c] != mean) out[c] = mean;
  }
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
  // calloc, unlike a zero fill, leaves fresh pages from the system untouched until used.
  pixmap->_storage.reset(static_cast<uint8_t*>(std::calloc(std::max(1, pixmap->capacity), 1)));
  if (!pixmap->_storage) throw std::bad_alloc();
  pixmap->pixels = pixmap->_storage.get();
  return pixmap;
}

void TPixmap::FreeBytes::operator()(uint8_t* bytes) const { std::free(bytes); }

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

TPixmapPtr TPixmap::Copy() const { return Convert(format); }

void TPixmap::Paste(const TPixmap& source, int x, int y) {
  // Clip to this pixmap so a paste near the edge never writes outside it.
  const int x0 = std::max(0, -x), y0 = std::max(0, -y);
  const int x1 = std::min(source.width, width - x), y1 = std::min(source.height, height - y);
  if (x0 >= x1) return;
  if (source.format == format) {
    const size_t row = static_cast<size_t>(x1 - x0) * BytesPerPixel(format);
    for (int sy = y0; sy < y1; ++sy) {
      std::memcpy(PixelPtr(x + x0, y + sy), source.PixelPtr(x0, sy), row);
    }
    return;
  }
  for (int sy = y0; sy < y1; ++sy) {
    for (int sx = x0; sx < x1; ++sx) {
      WritePixel(format, PixelPtr(x + sx, y + sy),
                 ReadPixel(source.format, source.PixelPtr(sx, sy)));
    }
  }
}

void TPixmap::FlipRows() {
  const size_t row = static_cast<size_t>(width) * BytesPerPixel(format);
  std::vector<uint8_t> spare(row);
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    std::memcpy(spare.data(), PixelPtr(0, top), row);
    std::memcpy(PixelPtr(0, top), PixelPtr(0, bottom), row);
    std::memcpy(PixelPtr(0, bottom), spare.data(), row);
  }
}

TPixmapPtr TPixmap::Convert(int to_format) const {
  TPixmapPtr converted = Create(width, height, to_format);
  converted->Paste(*this, 0, 0);
  return converted;
}

TPixmapPtr MaskPixmap(const TPixmap& pixmap, int mr, int mg, int mb) {
  TPixmapPtr result = pixmap.Convert(PF_RGBA8888);
  MaskRgbaPixmap(*result, mr, mg, mb);
  return result;
}

void MaskRgbaPixmap(TPixmap& pixmap, int mr, int mg, int mb) {
  const int width = pixmap.width, height = pixmap.height;
  // First the alpha alone: it then tells mask pixels from the others while the second pass changes
  // the mask pixels' colours, whose neighbours must see only unchanged colours. Rows and bytes that
  // already hold their values are not written, so a blank pixmap's untouched pages stay untouched.
  std::vector<uint8_t> has_mask(static_cast<size_t>(std::max(0, height)));
  std::vector<uint8_t> has_opaque(has_mask.size());
  // Red, green and blue compared as one word; a mask colour outside 0..255 matches nothing (its
  // key has alpha bits, which the masked pixel never has).
  const bool in_range = std::min({mr, mg, mb}) >= 0 && std::max({mr, mg, mb}) <= 255;
  const uint8_t key_bytes[4] = {static_cast<uint8_t>(mr), static_cast<uint8_t>(mg),
                                static_cast<uint8_t>(mb), 0};
  const uint8_t colour_bytes[4] = {255, 255, 255, 0};
  const uint8_t alpha_bytes[4] = {0, 0, 0, 255};
  uint32_t key, colour, alpha;
  std::memcpy(&key, key_bytes, 4);
  std::memcpy(&colour, colour_bytes, 4);
  std::memcpy(&alpha, alpha_bytes, 4);
  if (!in_range) key = alpha;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = pixmap.PixelPtr(0, y);
    // A row is read once to learn what it holds and whether any alpha is wrong (a loop the
    // compiler turns into vector code), and written only then, whole.
    const size_t row_bytes = static_cast<size_t>(std::max(0, width)) * 4;
    uint32_t masked = 0, opaque = 0, wrong = 0;
    for (size_t i = 0; i < row_bytes; i += 4) {
      uint32_t pixel;
      std::memcpy(&pixel, row + i, 4);
      const uint32_t mask = (pixel & colour) == key ? ~0u : 0u;
      masked |= mask;
      opaque |= ~mask;
      wrong |= (pixel ^ ~mask) & alpha;
    }
    for (size_t i = 0; wrong && i < row_bytes; i += 4) {
      uint32_t pixel;
      std::memcpy(&pixel, row + i, 4);
      const uint32_t mask = (pixel & colour) == key ? ~0u : 0u;
      pixel = (pixel & ~alpha) | (~mask & alpha);
      std::memcpy(row + i, &pixel, 4);
    }
    has_mask[y] = masked != 0;
    has_opaque[y] = opaque != 0;
  }
  // A transparent pixel takes the mean colour of its opaque neighbours so filtering leaves no dark
  // fringe. Most mask pixels have none. A count of opaque pixels per column over the rows above, at
  // and below the current one (moved down row by row), summed over three neighbouring columns,
  // finds the few that have; the counting loops work on bytes side by side, which the compiler
  // turns into vector code, and only the pixels they pick are visited one by one.
  const size_t columns = static_cast<size_t>(std::max(0, width));
  // Column x at index x + 1, with an empty column on either side of the pixmap.
  std::vector<uint8_t> opaque_in_column(columns + 2);
  // Per pixel of the row: 0 when not picked, else 1 + its opaque neighbours.
  std::vector<uint8_t> picked((columns + 7) / 8 * 8);
  const auto count_row = [&](int row, int sign) {
    if (row < 0 || row >= height || !has_opaque[row]) return;
    const uint8_t* alphas = pixmap.PixelPtr(0, row) + 3;
    uint8_t* counts = opaque_in_column.data() + 1;
    const auto step = static_cast<uint8_t>(sign);  // -1 wraps to 255: counting down
    for (size_t x = 0; x < columns; ++x) counts[x] += alphas[4 * x] != 0 ? step : 0;
  };
  const bool black_mask = mr == 0 && mg == 0 && mb == 0;
  count_row(0, 1);
  for (int y = 0; y < height; ++y) {
    count_row(y + 1, 1);
    count_row(y - 2, -1);
    if (!has_mask[y]) continue;
    const bool opaque_near =
        has_opaque[y] || (y > 0 && has_opaque[y - 1]) || (y + 1 < height && has_opaque[y + 1]);
    if (!opaque_near && black_mask) continue;  // every pixel of the row already is (0, 0, 0, 0)
    uint8_t* row = pixmap.PixelPtr(0, y);
    const uint8_t* counts = opaque_in_column.data();
    // A mask pixel is picked when it has an opaque neighbour or, with a mask colour other than
    // black, always: it must become black.
    const uint8_t any = black_mask ? 0 : 1;
    for (size_t x = 0; x < columns; ++x) {
      const uint8_t near = counts[x] + counts[x + 1] + counts[x + 2];
      picked[x] = row[4 * x + 3] == 0 && (near | any) != 0 ? near + 1 : 0;
    }
    // Eight pixels at a time through the few picked ones (the tail past the row stays 0).
    for (size_t first = 0; first < columns; first += 8) {
      uint64_t eight;
      std::memcpy(&eight, picked.data() + first, 8);
      for (size_t x = first; eight && x < first + 8; ++x) {
        if (picked[x]) TakeNeighboursMean(pixmap, static_cast<int>(x), y, picked[x] - 1);
      }
    }
  }
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
