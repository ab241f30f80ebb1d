// The null 2D driver: a window without GL that counts presented frames, and draws nothing.
// Serves logic-only runs and benchmarks.
#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/pixmap.h"
#include "engine/platform.h"

namespace {

class TNullImageFrame : public TImageFrame {
 public:
  void Draw(float, float, float, float, float, float, float, float, float, float) override {}
};

class TNullDraw2DDriver : public TDraw2DDriver {
 public:
  TGraphicsPtr CreateGraphics(int width, int height, int depth, int hertz, int flags) override {
    return TDraw2DGraphics::Create(
        TWindowGraphics::Open(this, width, height, depth, hertz, flags, /*with_gl=*/false), this);
  }
  void SetGraphics(const TGraphicsPtr& g) override { SelectDraw2DGraphics(*this, g); }
  // The headless backend counts frames on each swap.
  void Flip(int sync) override { platform::SwapWindow(sync); }

  std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmap&, int) override {
    return std::make_shared<TNullImageFrame>();
  }
  void SetBlend(int) override {}
  void SetAlpha(float) override {}
  void SetColor(int, int, int) override {}
  void SetClsColor(int, int, int) override {}
  void SetViewport(int, int, int, int) override {}
  void SetTransform(float, float, float, float) override {}
  void SetLineWidth(float) override {}
  void Cls() override {}
  void DrawRect(float, float, float, float, float, float) override {}
  // Blank: transparent black once masked.
  TPixmapPtr GrabPixmap(int, int, int width, int height) override {
    return TPixmap::Create(width, height, PF_RGBA8888);
  }
  bool GrabsAreBlank() const override { return true; }
  void SetResolution(float, float) override {}
  void ResetContext(TDraw2DGraphics&) override {}
};

}  // namespace

TDraw2DDriver* NullDraw2DDriver() {
  static TNullDraw2DDriver driver;
  return &driver;
}
