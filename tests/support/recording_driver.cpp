#include "support/recording_driver.h"

#include <algorithm>

namespace {

// The context of a recording driver: a size, no window.
class RecordingGraphics : public TGraphics {
 public:
  RecordingGraphics(TGraphicsDriver* driver, int width, int height, int depth, int hertz, int flags)
      : driver_(driver), settings_{width, height, depth, hertz, flags} {}
  TGraphicsDriver* Driver() override { return driver_; }
  void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override {
    width = settings_[0], height = settings_[1], depth = settings_[2];
    hertz = settings_[3], flags = settings_[4];
  }
  void Close() override {}

 private:
  TGraphicsDriver* driver_;
  int settings_[5];
};

class RecordingFrame : public TImageFrame {
 public:
  RecordingFrame(RecordingDriver& driver, int texture, const TPixmap& pixmap)
      : driver_(driver),
        texture_(texture),
        pixmap_(&pixmap),
        width_(pixmap.width),
        height_(pixmap.height) {}
  void Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy,
            float sw, float sh) override {
    const float uv[4] = {sx / width_, sy / height_, (sx + sw) / width_, (sy + sh) / height_};
    driver_.DrawTextured(texture_, pixmap_, uv, x0, y0, x1, y1, tx, ty);
  }

 private:
  RecordingDriver& driver_;
  int texture_;
  const TPixmap* pixmap_;
  float width_, height_;
};

}  // namespace

float RecordedQuad::Left() const {
  return std::min({vertices[0].x, vertices[1].x, vertices[2].x, vertices[3].x});
}
float RecordedQuad::Right() const {
  return std::max({vertices[0].x, vertices[1].x, vertices[2].x, vertices[3].x});
}
float RecordedQuad::Top() const {
  return std::min({vertices[0].y, vertices[1].y, vertices[2].y, vertices[3].y});
}
float RecordedQuad::Bottom() const {
  return std::max({vertices[0].y, vertices[1].y, vertices[2].y, vertices[3].y});
}

int RecordedQuad::FrameOf(const TImage* image) const {
  if (!image || !pixmap) return -1;
  for (int f = 0; f < image->FrameCount(); ++f) {
    if (image->pixmaps[f].get() == pixmap) return f;
  }
  return -1;
}

// Leaves no engine state pointing at a destroyed driver.
RecordingDriver::~RecordingDriver() {
  if (CurrentDraw2DDriver() != this) return;
  CloseGraphics();
  SetGraphicsDriver(nullptr, 0);
}

void RecordingDriver::Open(int width, int height) {
  SetGraphicsDriver(this, 2);
  Graphics(width, height, 0, 0, 0);
  Clear();
}

void RecordingDriver::Clear() {
  calls.clear();
  quads.clear();
  flips.clear();
}

int RecordingDriver::Calls(const std::string& name) const {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                        [&](const RecordedCall& c) { return c.name == name; }));
}

int RecordingDriver::StateChanges(const std::string& name) const {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const RecordedCall& c) {
    return c.name == name && c.state_change;
  }));
}

void RecordingDriver::Record(const std::string& name, std::vector<float> args, bool state_change) {
  calls.push_back({name, std::move(args), state_change});
}

TGraphicsPtr RecordingDriver::CreateGraphics(int width, int height, int depth, int hertz,
                                             int flags) {
  Record("CreateGraphics", {float(width), float(height), float(depth), float(hertz), float(flags)});
  return TDraw2DGraphics::Create(
      std::make_shared<RecordingGraphics>(this, width, height, depth, hertz, flags), this);
}

void RecordingDriver::SetGraphics(const TGraphicsPtr& g) {
  Record("SetGraphics", {g ? 1.0f : 0.0f});
  SelectDraw2DGraphics(*this, g);
}

void RecordingDriver::Flip(int sync) {
  Record("Flip", {float(sync)});
  flips.push_back(sync);
  if (on_flip) on_flip();
}

std::shared_ptr<TImageFrame> RecordingDriver::CreateFrameFromPixmap(const TPixmap& pixmap,
                                                                    int flags) {
  Record("CreateFrameFromPixmap", {float(pixmap.width), float(pixmap.height), float(flags)});
  return std::make_shared<RecordingFrame>(*this, ++textures_made, pixmap);
}

void RecordingDriver::SetBlend(int mode) {
  Record("SetBlend", {float(mode)}, cache.SetBlend(mode));
}

void RecordingDriver::SetAlpha(float alpha) {
  cache.SetAlpha(alpha);
  Record("SetAlpha", {alpha});
}

void RecordingDriver::SetColor(int red, int green, int blue) {
  cache.SetColor(red, green, blue);
  Record("SetColor", {float(red), float(green), float(blue)});
}

void RecordingDriver::SetClsColor(int red, int green, int blue) {
  Record("SetClsColor", {float(red), float(green), float(blue)});
}

void RecordingDriver::SetViewport(int x, int y, int width, int height) {
  Record("SetViewport", {float(x), float(y), float(width), float(height)});
}

void RecordingDriver::SetTransform(float ix, float iy, float jx, float jy) {
  cache.SetTransform(ix, iy, jx, jy);
  Record("SetTransform", {ix, iy, jx, jy});
}

void RecordingDriver::SetLineWidth(float width) { Record("SetLineWidth", {width}); }

void RecordingDriver::Cls() { Record("Cls", {}); }

void RecordingDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
  Record("EnableTexturing", {0.0f}, cache.EnableTexturing(false));
  Record("DrawRect", {x0, y0, x1, y1, tx, ty});
  quads.push_back(Quad(x0, y0, x1, y1, tx, ty));
}

TPixmapPtr RecordingDriver::GrabPixmap(int x, int y, int width, int height) {
  Record("GrabPixmap", {float(x), float(y), float(width), float(height)});
  return TPixmap::Create(width, height, PF_RGBA8888);
}

void RecordingDriver::SetResolution(float width, float height) {
  Record("SetResolution", {width, height});
}

void RecordingDriver::ResetContext(TDraw2DGraphics&) {
  cache.Forget();
  Record("ResetContext", {});
}

void RecordingDriver::DrawTextured(int texture, const TPixmap* pixmap, const float uv[4], float x0,
                                   float y0, float x1, float y1, float tx, float ty) {
  Record("EnableTexturing", {1.0f}, cache.EnableTexturing(true));
  Record("BindTexture", {float(texture)}, cache.BindTexture(static_cast<unsigned>(texture)));
  Record("DrawImage", {x0, y0, x1, y1, tx, ty});
  RecordedQuad quad = Quad(x0, y0, x1, y1, tx, ty);
  quad.u0 = uv[0], quad.v0 = uv[1], quad.u1 = uv[2], quad.v1 = uv[3];
  quad.texture = texture;
  quad.pixmap = pixmap;
  quads.push_back(quad);
}

RecordedQuad RecordingDriver::Quad(float x0, float y0, float x1, float y1, float tx,
                                   float ty) const {
  RecordedQuad quad;
  quad.vertices = {cache.Transform(x0, y0, tx, ty), cache.Transform(x1, y0, tx, ty),
                   cache.Transform(x1, y1, tx, ty), cache.Transform(x0, y1, tx, ty)};
  quad.x0 = x0, quad.y0 = y0, quad.x1 = x1, quad.y1 = y1;
  quad.tx = tx, quad.ty = ty;
  if (const TDraw2DGraphics* g = TDraw2DGraphics::Current()) {
    quad.alpha_set = g->color_alpha;
    quad.rotation = g->tform_rot;
    quad.scale_x = g->tform_scale_x, quad.scale_y = g->tform_scale_y;
  }
  quad.red = cache.color[0], quad.green = cache.color[1], quad.blue = cache.color[2];
  quad.alpha = cache.color[3];
  quad.blend = cache.blend_mode;
  return quad;
}
