// A 2D driver for tests that records every call and every quad drawn, without a window or GL.
//
//   RecordingDriver rec;
//   rec.Open();                 // selects it and opens an 800x576 context
//   ... draw ...
//   rec.quads[0].vertices[0].x  // where the first quad landed
//
// State changes go through the same cache as the GL driver, so `StateChanges("SetBlend")` counts
// what the GL driver would have sent to GL.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/pixmap.h"

struct RecordedCall {
  std::string name;
  std::vector<float> args;
  bool state_change = false;  // the driver's cache let it through (it would reach GL)
};

struct RecordedQuad {
  std::array<TVertex, 4> vertices;       // (x0,y0), (x1,y0), (x1,y1), (x0,y1) after the transform
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // the corners as given, before the transform
  float tx = 0, ty = 0;                  // the translation: the point an image was drawn at
  float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
  int red = 0, green = 0, blue = 0;  // clamped bytes
  int alpha = 0;                     // clamped byte
  int blend = 0;
  int texture = 0;                  // 0 for an untextured rectangle
  const TPixmap* pixmap = nullptr;  // the pixmap the texture was made from
  // The drawing context's values at the draw, as the caller set them (alpha not clamped).
  float alpha_set = 1, rotation = 0, scale_x = 1, scale_y = 1;

  float Left() const;
  float Right() const;
  float Top() const;
  float Bottom() const;
  // The frame of `image` this quad shows, or -1 when it shows none of its frames.
  int FrameOf(const TImage* image) const;
};

class RecordingDriver : public TDraw2DDriver {
 public:
  ~RecordingDriver() override;  // closes its context if still open

  // SetGraphicsDriver(this, 2) and Graphics(width, height), then forgets what that recorded.
  void Open(int width = 800, int height = 576);
  void Clear();  // forgets the recorded calls, quads and flips
  int Calls(const std::string& name) const;
  int StateChanges(const std::string& name) const;

  std::vector<RecordedCall> calls;
  std::vector<RecordedQuad> quads;
  std::vector<int> flips;         // sync of each Flip
  std::function<void()> on_flip;  // when set, called after each Flip has been recorded
  int textures_made = 0;

  // TDraw2DDriver
  TGraphicsPtr CreateGraphics(int width, int height, int depth, int hertz, int flags) override;
  void SetGraphics(const TGraphicsPtr& g) override;
  void Flip(int sync) override;
  std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmap& pixmap, int flags) override;
  void SetBlend(int mode) override;
  void SetAlpha(float alpha) override;
  void SetColor(int red, int green, int blue) override;
  void SetClsColor(int red, int green, int blue) override;
  void SetViewport(int x, int y, int width, int height) override;
  void SetTransform(float ix, float iy, float jx, float jy) override;
  void SetLineWidth(float width) override;
  void Cls() override;
  void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
  TPixmapPtr GrabPixmap(int x, int y, int width, int height) override;
  void SetResolution(float width, float height) override;
  void ResetContext(TDraw2DGraphics& g) override;

  // Called by the recording frames.
  void DrawTextured(int texture, const TPixmap* pixmap, const float uv[4], float x0, float y0,
                    float x1, float y1, float tx, float ty);

 private:
  void Record(const std::string& name, std::vector<float> args, bool state_change = true);
  RecordedQuad Quad(float x0, float y0, float x1, float y1, float tx, float ty) const;

  TDrawStateCache cache;
};
