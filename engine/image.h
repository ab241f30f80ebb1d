// Images: equal-sized frames with CPU pixels, made drawable lazily at first draw.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/pixmap.h"

enum ImageFlags : int {
  MASKEDIMAGE = 1,
  FILTEREDIMAGE = 2,
  MIPMAPPEDIMAGE = 4,
  DYNAMICIMAGE = 8,
};

// A frame in drawable (texture) form, made by the current driver.
class TImageFrame {
 public:
  virtual ~TImageFrame() = default;
  virtual void Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy,
                    float sw, float sh) = 0;
};

using TImageFramePtr = std::shared_ptr<TImageFrame>;

class TImage;
using TImagePtr = std::shared_ptr<TImage>;

class TImage {
 public:
  static TImagePtr Create(int width, int height, int frame_count, int flags, int mr, int mg,
                          int mb);
  static TImagePtr Load(const std::string& path, int flags, int mr, int mg, int mb);
  static TImagePtr LoadAnim(const std::string& path, int cell_width, int cell_height, int first,
                            int count, int flags, int mr, int mg, int mb);

  // Drawable frame for the current graphics generation, made on demand; nullptr when none.
  TImageFrame* Frame(int index);
  // The frame's pixmap (made blank RGBA8888 when absent); write != 0 invalidates its texture.
  TPixmapPtr Lock(int index, int read, int write);
  void SetPixmap(int index, TPixmapPtr pixmap);
  int FrameCount() const { return static_cast<int>(pixmaps.size()); }

  int width = 0, height = 0;
  int flags = 0;
  int mask_r = 0, mask_g = 0, mask_b = 0;
  float handle_x = 0.0f, handle_y = 0.0f;
  std::vector<TPixmapPtr> pixmaps;
  std::vector<TImageFramePtr> frames;
  std::vector<int> seqs;
};

// flags -1 means the default flags (masked and filtered). nullptr (none) on failure.
TImagePtr LoadImage(const std::string& path, int flags = -1);
TImagePtr LoadAnimImage(const std::string& path, int cell_width, int cell_height, int first,
                        int count, int flags = -1);
TImagePtr CreateImage(int width, int height, int frames = 1, int flags = -1);
void GrabImage(TImage& image, int x, int y, int frame = 0);
void AutoMidHandle(int enable);
void MidHandleImage(TImage& image);
void SetMaskColor(int r, int g, int b);
// Draws the frame with its handle at (x, y); a frame outside the image's range draws nothing.
void DrawImage(TImage& image, float x, float y, int frame = 0);
