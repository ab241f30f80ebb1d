// PNG decoding and sheet cutting: LoadPixmapPNG, LoadImage and LoadAnimImage on any bytes either
// answer none or give pixmaps whose every byte can be read. The first five input bytes choose the
// cell width and height, the first cell, the cell count and the image flags; the rest is the file.
#include <cstdint>
#include <string>

#include "engine/image.h"
#include "engine/pixmap.h"
#include "fuzz_support.h"

namespace {

constexpr size_t kChoiceBytes = 5;

// Reads every byte of every row, so that a pixmap claiming more than it holds shows under ASan.
unsigned Touch(const TPixmap& pixmap) {
  if (pixmap.width <= 0 || pixmap.height <= 0) fuzz_support::Fail("an empty pixmap was answered");
  const int row = pixmap.width * BytesPerPixel(pixmap.format);
  if (pixmap.pitch < row) fuzz_support::Fail("pitch below the row size");
  if (pixmap.capacity >= 0 && pixmap.capacity < pixmap.pitch * pixmap.height) {
    fuzz_support::Fail("pixmap owns fewer bytes than its rows");
  }
  unsigned sum = 0;
  for (int y = 0; y < pixmap.height; ++y) {
    const uint8_t* p = pixmap.PixelPtr(0, y);
    for (int i = 0; i < row; ++i) sum += p[i];
  }
  return sum;
}

void CheckFrames(const TImage& image, int width, int height, int count) {
  if (image.FrameCount() != count) fuzz_support::Fail("frame count differs from the request");
  for (const TPixmapPtr& frame : image.pixmaps) {
    if (!frame || frame->width != width || frame->height != height) {
      fuzz_support::Fail("a frame differs from the cell size");
    }
    Touch(*frame);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzz_support::EnterScratchDir(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kChoiceBytes) return 0;
  const int cell_width = data[0] % 65;  // 0 asks for one whole-image frame instead
  const int cell_height = data[1] % 64 + 1;
  const int first = data[2] % 16;
  const int count = data[3] % 64 + 1;
  const int flags = data[4] & (MASKEDIMAGE | FILTEREDIMAGE);
  fuzz_support::WriteWholeFile("sheet.png", data + kChoiceBytes, size - kChoiceBytes);

  volatile unsigned sink = 0;
  TPixmapPtr pixmap = LoadPixmapPNG("sheet.png");
  if (pixmap) sink = sink + Touch(*pixmap);
  if (cell_width == 0) {
    TImagePtr image = LoadImage("sheet.png", flags);
    if (image && pixmap) CheckFrames(*image, pixmap->width, pixmap->height, 1);
    if (static_cast<bool>(image) != static_cast<bool>(pixmap)) {
      fuzz_support::Fail("LoadImage and LoadPixmapPNG disagree on the file");
    }
    return 0;
  }
  TImagePtr sheet = LoadAnimImage("sheet.png", cell_width, cell_height, first, count, flags);
  const bool enough_cells =
      pixmap && (pixmap->width / cell_width) * (pixmap->height / cell_height) >= first + count;
  if (static_cast<bool>(sheet) != enough_cells) {
    fuzz_support::Fail(sheet ? "a sheet with too few cells was cut"
                             : "a sheet with enough cells was refused");
  }
  if (sheet) CheckFrames(*sheet, cell_width, cell_height, count);
  return 0;
}
