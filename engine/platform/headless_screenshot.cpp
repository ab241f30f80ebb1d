// Screenshots of stomp-headless: the back buffer read back and written by the engine's PNG writer.
#include <GL/gl.h>

#include "engine/pixmap.h"
#include "engine/platform/headless_internal.h"

namespace headless {

bool WriteScreenshot(const std::string& path, int width, int height) {
  // RGBA rows are 4-byte aligned, GL's default packing, so the pixmap takes them as they come.
  TPixmapPtr pixmap = TPixmap::Create(width, height, PF_RGBA8888);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixmap->pixels);
  pixmap->FlipRows();  // GL's bottom row comes first
  return SavePixmapPNG(*pixmap, path);
}

}  // namespace headless
