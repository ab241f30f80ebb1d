// Images: loading and cutting sheets, masking, grabbing the back buffer, handles, and drawing a
// frame through the current 2D driver.
#include "engine/image.h"

#include "engine/graphics.h"

namespace {

constexpr int kDefaultImageFlags = MASKEDIMAGE | FILTEREDIMAGE;

struct ImageSettings {
  int mask_r = 0, mask_g = 0, mask_b = 0;
  bool auto_mid_handle = false;
};

ImageSettings& Settings() {
  static ImageSettings settings;
  return settings;
}

int ResolveFlags(int flags) { return flags == -1 ? kDefaultImageFlags : flags; }

bool InRange(const TImage& image, int frame) { return frame >= 0 && frame < image.FrameCount(); }

// Called by every image maker once the image has its size.
void AutoHandle(TImage& image) {
  if (Settings().auto_mid_handle) MidHandleImage(image);
}

}  // namespace

TImagePtr TImage::Create(int width, int height, int frame_count, int flags, int mr, int mg,
                         int mb) {
  auto image = std::make_shared<TImage>();
  image->width = width;
  image->height = height;
  image->flags = flags;
  image->mask_r = mr, image->mask_g = mg, image->mask_b = mb;
  image->pixmaps.resize(static_cast<size_t>(frame_count));
  image->frames.resize(static_cast<size_t>(frame_count));
  image->seqs.assign(static_cast<size_t>(frame_count), 0);
  return image;
}

TImagePtr TImage::Load(const std::string& path, int flags, int mr, int mg, int mb) {
  TPixmapPtr pixmap = LoadPixmapPNG(path);
  if (!pixmap) return nullptr;
  TImagePtr image = Create(pixmap->width, pixmap->height, 1, flags, mr, mg, mb);
  image->SetPixmap(0, pixmap);
  return image;
}

TImagePtr TImage::LoadAnim(const std::string& path, int cell_width, int cell_height, int first,
                           int count, int flags, int mr, int mg, int mb) {
  if (cell_width <= 0 || cell_height <= 0 || first < 0 || count < 0) return nullptr;
  TPixmapPtr sheet = LoadPixmapPNG(path);
  if (!sheet) return nullptr;
  // Partial cells at the right and bottom edges are not cells.
  const int across = sheet->width / cell_width;
  const int down = sheet->height / cell_height;
  if (first + count > across * down) return nullptr;
  TImagePtr image = Create(cell_width, cell_height, count, flags, mr, mg, mb);
  for (int cell = first; cell < first + count; ++cell) {
    const int x = cell % across * cell_width, y = cell / across * cell_height;
    // A view: the cells share the sheet's memory, and masking (when the sheet has no alpha)
    // makes each cell its own pixmap.
    image->SetPixmap(cell - first, sheet->Window(x, y, cell_width, cell_height));
  }
  return image;
}

// Called by DrawImage; makes the texture at the first draw of each graphics generation.
TImageFrame* TImage::Frame(int index) {
  if (!InRange(*this, index)) return nullptr;
  const int seq = GraphicsSeq();
  if (seqs[index] == seq) return frames[index].get();
  TDraw2DDriver* driver = CurrentDraw2DDriver();
  if (!driver) return nullptr;
  frames[index] = driver->CreateFrameFromPixmap(*Lock(index, 1, 0), flags);
  seqs[index] = frames[index] ? seq : 0;
  return frames[index].get();
}

TPixmapPtr TImage::Lock(int index, int /*read*/, int write) {
  if (write) {
    frames[index].reset();
    seqs[index] = 0;
  }
  if (!pixmaps[index]) pixmaps[index] = TPixmap::Create(width, height, PF_RGBA8888);
  return pixmaps[index];
}

void TImage::SetPixmap(int index, TPixmapPtr pixmap) {
  if ((flags & MASKEDIMAGE) && !FormatHasAlpha(pixmap->format)) {
    pixmap = MaskPixmap(*pixmap, mask_r, mask_g, mask_b);
  }
  pixmaps[index] = std::move(pixmap);
  frames[index].reset();
  seqs[index] = 0;
}

TImagePtr LoadImage(const std::string& path, int flags) {
  const ImageSettings& s = Settings();
  TImagePtr image = TImage::Load(path, ResolveFlags(flags), s.mask_r, s.mask_g, s.mask_b);
  if (image) AutoHandle(*image);
  return image;
}

TImagePtr LoadAnimImage(const std::string& path, int cell_width, int cell_height, int first,
                        int count, int flags) {
  const ImageSettings& s = Settings();
  TImagePtr image = TImage::LoadAnim(path, cell_width, cell_height, first, count,
                                     ResolveFlags(flags), s.mask_r, s.mask_g, s.mask_b);
  if (image) AutoHandle(*image);
  return image;
}

TImagePtr CreateImage(int width, int height, int frames, int flags) {
  const ImageSettings& s = Settings();
  TImagePtr image = TImage::Create(width, height, frames, ResolveFlags(flags) | DYNAMICIMAGE,
                                   s.mask_r, s.mask_g, s.mask_b);
  AutoHandle(*image);
  return image;
}

void GrabImage(TImage& image, int x, int y, int frame) {
  if (!InRange(image, frame)) return;
  TDraw2DDriver* driver = CurrentDraw2DDriver();
  if (!driver) return;
  TPixmapPtr pixmap = driver->GrabPixmap(x, y, image.width, image.height);
  const ImageSettings& s = Settings();
  // A blank grab is already what masking with black makes of it; reading its untouched pages
  // would cost the null driver's start-up a tenth of its time.
  const bool black_mask = s.mask_r == 0 && s.mask_g == 0 && s.mask_b == 0;
  if ((image.flags & MASKEDIMAGE) && !(black_mask && driver->GrabsAreBlank())) {
    // The grab is a new RGBA pixmap of its own: masked where it lies.
    MaskRgbaPixmap(*pixmap, s.mask_r, s.mask_g, s.mask_b);
  }
  image.SetPixmap(frame, pixmap);
}

void AutoMidHandle(int enable) { Settings().auto_mid_handle = enable != 0; }

void MidHandleImage(TImage& image) {
  image.handle_x = image.width * 0.5f;
  image.handle_y = image.height * 0.5f;
}

void SetMaskColor(int r, int g, int b) {
  ImageSettings& s = Settings();
  s.mask_r = r, s.mask_g = g, s.mask_b = b;
}

void DrawImage(TImage& image, float x, float y, int frame) {
  TDraw2DGraphics* g = TDraw2DGraphics::Current();
  if (!g || !InRange(image, frame)) return;
  const float x0 = -image.handle_x, y0 = -image.handle_y;
  TImageFrame* f = image.Frame(frame);
  if (!f) return;
  f->Draw(x0, y0, x0 + image.width, y0 + image.height, x + g->origin_x, y + g->origin_y, 0, 0,
          static_cast<float>(image.width), static_cast<float>(image.height));
}
