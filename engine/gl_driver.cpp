// The OpenGL 2D driver: GL 1.1 immediate mode, with a state cache so repeated settings issue no
// GL calls, and image frames as lazily made power-of-two textures.
#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/pixmap.h"
#include "engine/platform.h"
#include "engine/stream.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

namespace {

// Opens the platform window with its GL context; shared by every GL 2D context.
class TGLGraphicsDriver : public TGraphicsDriver {
 public:
  TGraphicsPtr CreateGraphics(int width, int height, int depth, int hertz, int flags) override {
    return TWindowGraphics::Open(this, width, height, depth, hertz, flags, /*with_gl=*/true);
  }
  // The platform keeps its one GL context current while the window is open.
  void SetGraphics(const TGraphicsPtr&) override {}
  void Flip(int sync) override { platform::SwapWindow(sync); }
};

TGLGraphicsDriver& SharedGLGraphicsDriver() {
  static TGLGraphicsDriver driver;
  return driver;
}

class TGLDraw2DDriver : public TDraw2DDriver {
 public:
  static TGLDraw2DDriver& Create() {
    SharedGLGraphicsDriver();
    static TGLDraw2DDriver driver;
    return driver;
  }

  TGraphicsPtr CreateGraphics(int width, int height, int depth, int hertz, int flags) override {
    return TDraw2DGraphics::Create(
        SharedGLGraphicsDriver().CreateGraphics(width, height, depth, hertz, flags), this);
  }

  void SetGraphics(const TGraphicsPtr& g) override {
    auto* context = dynamic_cast<TDraw2DGraphics*>(g.get());
    SharedGLGraphicsDriver().SetGraphics(context ? context->_graphics : nullptr);
    SelectDraw2DGraphics(*this, g);
  }

  void Flip(int sync) override { SharedGLGraphicsDriver().Flip(sync); }

  std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmap& pixmap, int flags) override;

  void SetBlend(int mode) override {
    if (!cache.SetBlend(mode)) return;
    const bool blending = mode >= kBlendAlpha && mode <= kBlendShade;
    if (blending) {
      glEnable(GL_BLEND);
    } else {
      glDisable(GL_BLEND);
    }
    if (mode == kBlendMask) {
      glEnable(GL_ALPHA_TEST);
      glAlphaFunc(GL_GEQUAL, 0.5f);
    } else {
      glDisable(GL_ALPHA_TEST);
    }
    if (mode == kBlendAlpha) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (mode == kBlendLight) glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (mode == kBlendShade) glBlendFunc(GL_DST_COLOR, GL_ZERO);
  }

  void SetAlpha(float alpha) override {
    cache.SetAlpha(alpha);
    glColor4ubv(cache.color);
  }

  void SetColor(int red, int green, int blue) override {
    cache.SetColor(red, green, blue);
    glColor4ubv(cache.color);
  }

  void SetClsColor(int red, int green, int blue) override {
    glClearColor(std::clamp(red, 0, 255) / 255.0f, std::clamp(green, 0, 255) / 255.0f,
                 std::clamp(blue, 0, 255) / 255.0f, 1.0f);
  }

  // The rectangle is in window pixels, y down; GL wants drawable pixels, y up.
  void SetViewport(int x, int y, int width, int height) override {
    scissor = !(x == 0 && y == 0 && width == window_width && height == window_height);
    if (!scissor) {
      glDisable(GL_SCISSOR_TEST);
      return;
    }
    glEnable(GL_SCISSOR_TEST);
    glScissor(ToDrawableX(x), ToDrawableY(window_height - y - height), ToDrawableX(width),
              ToDrawableY(height));
  }

  void SetTransform(float ix, float iy, float jx, float jy) override {
    cache.SetTransform(ix, iy, jx, jy);
  }

  void SetLineWidth(float width) override { glLineWidth(width); }

  // Clears the whole back buffer, whatever the viewport.
  void Cls() override {
    if (scissor) glDisable(GL_SCISSOR_TEST);
    glClear(GL_COLOR_BUFFER_BIT);
    if (scissor) glEnable(GL_SCISSOR_TEST);
  }

  void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override {
    if (cache.EnableTexturing(false)) glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    QuadColor();
    Vertex(x0, y0, tx, ty);
    Vertex(x1, y0, tx, ty);
    Vertex(x1, y1, tx, ty);
    Vertex(x0, y1, tx, ty);
    glEnd();
  }

  TPixmapPtr GrabPixmap(int x, int y, int width, int height) override;

  void SetResolution(float width, float height) override {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Top-left origin: bottom and top are swapped on purpose.
    glOrtho(0, width, height, 0, -1, 1);  // NOLINT(readability-suspicious-call-argument)
    glMatrixMode(GL_MODELVIEW);
  }

  void ResetContext(TDraw2DGraphics& g) override {
    int depth, hertz, flags;
    g.GetSettings(window_width, window_height, depth, hertz, flags);
    platform::DrawableSize(drawable_width, drawable_height);
    SetupRenderState();
  }

  // Called by TGLImageFrame::Draw.
  void DrawTexturedQuad(unsigned name, const float uv[4], float x0, float y0, float x1, float y1,
                        float tx, float ty) {
    if (cache.EnableTexturing(true)) glEnable(GL_TEXTURE_2D);
    if (cache.BindTexture(name)) glBindTexture(GL_TEXTURE_2D, name);
    glBegin(GL_QUADS);
    QuadColor();
    glTexCoord2f(uv[0], uv[1]);
    Vertex(x0, y0, tx, ty);
    glTexCoord2f(uv[2], uv[1]);
    Vertex(x1, y0, tx, ty);
    glTexCoord2f(uv[2], uv[3]);
    Vertex(x1, y1, tx, ty);
    glTexCoord2f(uv[0], uv[3]);
    Vertex(x0, y1, tx, ty);
    glEnd();
  }

  // Texture creation binds directly; the cache must know.
  void NoteBound(unsigned name) { cache.BindTexture(name); }
  void NoteDeleted(unsigned name) { cache.ForgetTexture(name); }

 private:
  // The one place that puts GL into the state the 2D drawing relies on; everything cached is
  // forgotten, so the next settings reach GL.
  void SetupRenderState() {
    cache.Forget();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    scissor = false;
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    SetResolution(static_cast<float>(window_width), static_cast<float>(window_height));
    glLoadIdentity();
    glViewport(0, 0, drawable_width, drawable_height);
  }

  // Every quad carries the colour as a vertex attribute. Set only between quads, GL keeps it as one
  // constant until a colour change meets quads not yet drawn, then turns it into a vertex
  // attribute in mid-batch; a software rasteriser compiles its set-up code for each of the two
  // forms, so the first frames paid for every kind of drawing twice. The pixels are the same.
  void QuadColor() const { glColor4ubv(cache.color); }

  void Vertex(float px, float py, float tx, float ty) {
    const TVertex v = cache.Transform(px, py, tx, ty);
    glVertex2f(v.x, v.y);
  }

  // HiDPI: the drawable may have more pixels than the window.
  int ToDrawableX(int x) const { return window_width ? x * drawable_width / window_width : x; }
  int ToDrawableY(int y) const { return window_height ? y * drawable_height / window_height : y; }

  TDrawStateCache cache;
  int window_width = 0, window_height = 0;
  int drawable_width = 0, drawable_height = 0;
  bool scissor = false;
};

TGLDraw2DDriver& Driver() { return TGLDraw2DDriver::Create(); }

// Textures of frames released in the generation they were made in, deleted at the next texture
// creation (a release may happen outside drawing, so GL is not touched then).
struct ReleaseQueue {
  std::vector<GLuint> names;
  int seq = 0;
};

// Never destroyed: images that are globals release their frames after static destruction began.
ReleaseQueue& Releases() {
  static auto* queue = new ReleaseQueue;
  return *queue;
}

void DeleteReleasedTextures() {
  ReleaseQueue& queue = Releases();
  if (queue.seq == GraphicsSeq() && !queue.names.empty()) {
    glDeleteTextures(static_cast<GLsizei>(queue.names.size()), queue.names.data());
    for (GLuint name : queue.names) Driver().NoteDeleted(name);
  }
  queue.names.clear();
  queue.seq = GraphicsSeq();
}

int PowerOfTwoAtLeast(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

// Largest power-of-two size at most (tw, th) that the GL implementation accepts.
void FitTextureSize(int& tw, int& th) {
  for (;;) {
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 4, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    if (width != 0) return;
    if (tw == 1 && th == 1) throw TRuntimeError("Unable to calculate tex size");
    if (tw > 1) tw /= 2;
    if (th > 1) th /= 2;
  }
}

// The image at the top-left of the texture, with its last column and row repeated once so that
// filtering at the image's edge samples the image, not the unused texels. Without mipmaps only the
// image and that edge are uploaded, since nothing else of the texture is ever sampled; mipmap
// levels are reduced from the whole tw x th pixmap. nullptr when the image is uploaded as it is:
// RGBA8888 of the texture's size.
TPixmapPtr PadToTexture(const TPixmap& image, int tw, int th, bool mipmapped) {
  const int w = image.width, h = image.height;
  if (w == tw && h == th) {
    return image.format == PF_RGBA8888 ? nullptr : image.Convert(PF_RGBA8888);
  }
  const int padded_width = mipmapped ? tw : std::min(tw, w + 1);
  const int padded_height = mipmapped ? th : std::min(th, h + 1);
  TPixmapPtr padded = TPixmap::Create(padded_width, padded_height, PF_RGBA8888);
  padded->Paste(image, 0, 0);
  if (w < tw) {
    for (int y = 0; y < h; ++y) std::memcpy(padded->PixelPtr(w, y), padded->PixelPtr(w - 1, y), 4);
  }
  if (h < th) {
    std::memcpy(padded->PixelPtr(0, h), padded->PixelPtr(0, h - 1), static_cast<size_t>(w) * 4);
    if (w < tw) std::memcpy(padded->PixelPtr(w, h), padded->PixelPtr(w - 1, h - 1), 4);
  }
  return padded;
}

void Upload(int level, const TPixmap& pixmap) {
  glPixelStorei(GL_UNPACK_ROW_LENGTH, pixmap.pitch / BytesPerPixel(pixmap.format));
  glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, pixmap.width, pixmap.height, GL_RGBA,
                  GL_UNSIGNED_BYTE, pixmap.pixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

}  // namespace

class TGLImageFrame : public TImageFrame {
 public:
  static std::shared_ptr<TImageFrame> CreateFromPixmap(const TPixmap& pixmap, int flags);
  ~TGLImageFrame() override;
  void Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy,
            float sw, float sh) override;

  float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
  float uscale = 0, vscale = 0;
  GLuint name = 0;
  int seq = 0;
};

std::shared_ptr<TImageFrame> TGLImageFrame::CreateFromPixmap(const TPixmap& pixmap, int flags) {
  int tw = PowerOfTwoAtLeast(pixmap.width), th = PowerOfTwoAtLeast(pixmap.height);
  FitTextureSize(tw, th);
  const int w = std::min(pixmap.width, tw), h = std::min(pixmap.height, th);
  TPixmapPtr resampled;
  if (w < pixmap.width || h < pixmap.height) resampled = ResamplePixmap(pixmap, w, h);
  const TPixmap& image = resampled ? *resampled : pixmap;
  const bool mipmapped = flags & MIPMAPPEDIMAGE;
  TPixmapPtr padded = PadToTexture(image, tw, th, mipmapped);
  const TPixmap& texels = padded ? *padded : image;

  auto frame = std::make_shared<TGLImageFrame>();
  glGenTextures(1, &frame->name);
  DeleteReleasedTextures();
  glBindTexture(GL_TEXTURE_2D, frame->name);
  Driver().NoteBound(frame->name);
  const bool filtered = flags & FILTEREDIMAGE;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filtered ? GL_LINEAR : GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  filtered ? (mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR)
                           : (mipmapped ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST));
  for (int level = 0, lw = tw, lh = th;; ++level) {
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, lw, lh, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    if (!mipmapped || (lw == 1 && lh == 1)) break;
    lw = std::max(1, lw / 2);
    lh = std::max(1, lh / 2);
  }
  Upload(0, texels);
  TPixmapPtr reduced;
  for (int level = 1; mipmapped; ++level) {
    const TPixmap& above = reduced ? *reduced : texels;
    if (above.width == 1 && above.height == 1) break;
    reduced = ResamplePixmap(above, std::max(1, above.width / 2), std::max(1, above.height / 2));
    Upload(level, *reduced);
  }

  // Scaled so that the image's own size maps onto the texels it fills, also when resampled.
  frame->uscale = static_cast<float>(w) / tw / pixmap.width;
  frame->vscale = static_cast<float>(h) / th / pixmap.height;
  frame->u1 = static_cast<float>(w) / tw;
  frame->v1 = static_cast<float>(h) / th;
  frame->seq = GraphicsSeq();
  return frame;
}

TGLImageFrame::~TGLImageFrame() {
  if (!seq) return;
  ReleaseQueue& queue = Releases();
  // A texture of an earlier generation died with its context.
  if (seq == queue.seq) queue.names.push_back(name);
}

void TGLImageFrame::Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx,
                         float sy, float sw, float sh) {
  const float uv[4] = {sx * uscale, sy * vscale, (sx + sw) * uscale, (sy + sh) * vscale};
  Driver().DrawTexturedQuad(name, uv, x0, y0, x1, y1, tx, ty);
}

std::shared_ptr<TImageFrame> TGLDraw2DDriver::CreateFrameFromPixmap(const TPixmap& pixmap,
                                                                    int flags) {
  return TGLImageFrame::CreateFromPixmap(pixmap, flags);
}

// Reads in solid mode so the read is not affected by blending state; rows come bottom-up from GL.
TPixmapPtr TGLDraw2DDriver::GrabPixmap(int x, int y, int width, int height) {
  const int old_blend = cache.blend_mode;
  SetBlend(kBlendSolid);
  const int dx = ToDrawableX(x), dy = ToDrawableY(window_height - height - y);
  const int dw = ToDrawableX(width), dh = ToDrawableY(height);
  TPixmapPtr pixmap = TPixmap::Create(dw, dh, PF_RGBA8888);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(dx, dy, dw, dh, GL_RGBA, GL_UNSIGNED_BYTE, pixmap->pixels);
  pixmap->FlipRows();
  if (old_blend) SetBlend(old_blend);
  if (dw != width || dh != height) pixmap = ResamplePixmap(*pixmap, width, height);
  return pixmap;
}

TDraw2DDriver* GLDraw2DDriver() { return &TGLDraw2DDriver::Create(); }
