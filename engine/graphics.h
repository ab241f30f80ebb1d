// The graphics context, the drawing drivers and the current drawing state.
//
// One TDraw2DGraphics holds the state every drawing call uses (colour, alpha, blend, rotation,
// scale, origin, viewport). Drivers: the OpenGL driver (engine/gl_driver.cpp), the null driver
// (draws nothing, needs no GL context) for logic-only runs and benchmarks; tests add a recording
// one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TPixmap;
class TImageFrame;
using TPixmapPtr = std::shared_ptr<TPixmap>;

class TGraphicsDriver;

// Blend modes for SetBlend; any other mode draws as solid.
enum BlendMode : int {
  kBlendMask = 1,   // no blending; pixels with alpha below 0.5 are not drawn
  kBlendSolid = 2,  // no blending, no alpha test
  kBlendAlpha = 3,  // source by its alpha over the destination (what the game draws with)
  kBlendLight = 4,  // source by its alpha added to the destination
  kBlendShade = 5,  // source times destination colour
};

class TGraphics {
 public:
  virtual ~TGraphics() = default;
  virtual TGraphicsDriver* Driver() = 0;
  virtual void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) = 0;
  virtual void Close() = 0;
};

using TGraphicsPtr = std::shared_ptr<TGraphics>;

class TGraphicsDriver {
 public:
  virtual ~TGraphicsDriver() = default;
  // Opens a context; throws TRuntimeError (caught by Graphics) when it cannot.
  virtual TGraphicsPtr CreateGraphics(int width, int height, int depth, int hertz, int flags) = 0;
  virtual void SetGraphics(const TGraphicsPtr& g) = 0;  // nullptr: no context current
  virtual void Flip(int sync) = 0;
};

class TDraw2DGraphics;

class TDraw2DDriver : public TGraphicsDriver {
 public:
  // A drawable frame for the pixmap, or nullptr when none can be made.
  virtual std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmap& pixmap, int flags) = 0;
  virtual void SetBlend(int mode) = 0;
  virtual void SetAlpha(float alpha) = 0;
  virtual void SetColor(int red, int green, int blue) = 0;
  virtual void SetClsColor(int red, int green, int blue) = 0;
  virtual void SetViewport(int x, int y, int width, int height) = 0;
  virtual void SetTransform(float ix, float iy, float jx, float jy) = 0;
  virtual void SetLineWidth(float width) = 0;
  virtual void Cls() = 0;
  virtual void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  virtual TPixmapPtr GrabPixmap(int x, int y, int width, int height) = 0;
  // True when every grab is blank (all bytes zero), which masking with black leaves as it is.
  virtual bool GrabsAreBlank() const { return false; }
  virtual void SetResolution(float width, float height) = 0;
  // Called when `g` becomes the current drawing context (re-applies GL state from scratch).
  virtual void ResetContext(TDraw2DGraphics& g) = 0;
};

class TDraw2DGraphics : public TGraphics {
 public:
  static std::shared_ptr<TDraw2DGraphics> Create(TGraphicsPtr graphics, TDraw2DDriver* driver);
  static TDraw2DGraphics* Current();
  static void ClearCurrent();

  TGraphicsDriver* Driver() override { return _driver; }
  void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
  void Close() override;
  void Validate();
  void MakeCurrent();

  int color_red = 255, color_green = 255, color_blue = 255;
  float color_alpha = 1.0f;
  int clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
  float line_width = 1.0f;
  float tform_rot = 0.0f;
  float tform_scale_x = 1.0f, tform_scale_y = 1.0f;
  float tform_ix = 1.0f, tform_iy = 0.0f, tform_jx = 0.0f, tform_jy = 1.0f;
  int viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
  float origin_x = 0.0f, origin_y = 0.0f;
  float handle_x = 0.0f, handle_y = 0.0f;  // stored negated
  int blend_mode = kBlendMask;
  float vres_width = 0.0f, vres_height = 0.0f;
  float vres_mousexscale = 1.0f, vres_mouseyscale = 1.0f;
  int g_width = 0, g_height = 0;
  TGraphicsPtr _graphics;
  TDraw2DDriver* _driver = nullptr;
  int _setup = 0;
};

// A window opened through the platform layer, as the context of the GL and null drivers.
class TWindowGraphics final : public TGraphics {
 public:
  // Opens the platform window (with a GL context when `with_gl`); throws TRuntimeError with the
  // platform's one-line reason when it cannot.
  static TGraphicsPtr Open(TGraphicsDriver* driver, int width, int height, int depth, int hertz,
                           int flags, bool with_gl);
  ~TWindowGraphics() override;
  TGraphicsDriver* Driver() override { return _driver; }
  void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
  void Close() override;  // destroys the window; closing again does nothing

  int _context = 0;  // 1 while the window is open, 0 once closed

 private:
  TGraphicsDriver* _driver = nullptr;
  int _width = 0, _height = 0, _depth = 0, _hertz = 0, _flags = 0;
};

// The driver side of SetGraphics shared by every 2D driver: nullptr clears the current drawing
// context; otherwise the driver's ResetContext runs and `g` (a TDraw2DGraphics) becomes current.
void SelectDraw2DGraphics(TDraw2DDriver& driver, const TGraphicsPtr& g);

// A point after the rotation/scale transform, in window pixels.
struct TVertex {
  float x = 0.0f, y = 0.0f;
};

// The state a 2D driver keeps so that repeated settings issue nothing. Every call answers whether
// the state changed (true: the driver must pass it on). Shared by the GL and recording drivers.
class TDrawStateCache {
 public:
  void Forget();  // after a context reset: nothing is known to be set
  bool SetBlend(int mode);
  bool BindTexture(unsigned name);
  bool EnableTexturing(bool on);
  void ForgetTexture(unsigned name);  // the texture was deleted
  // Colour components clamp to 0..255; alpha clamps to [0, 1] and becomes a truncated byte.
  void SetColor(int red, int green, int blue);
  void SetAlpha(float alpha);
  void SetTransform(float ix, float iy, float jx, float jy);
  // (px, py) relative to the translation point (tx, ty), through the current transform.
  TVertex Transform(float px, float py, float tx, float ty) const {
    return {px * ix + py * iy + tx, px * jx + py * jy + ty};
  }

  int blend_mode = 0;  // 0: none set yet
  unsigned texture = 0;
  bool texturing = false;
  float ix = 1.0f, iy = 0.0f, jx = 0.0f, jy = 1.0f;
  uint8_t color[4] = {255, 255, 255, 255};  // red, green, blue, alpha
};

// Software pacing of Flip(-1): the next present time advances by 1000/hertz ms per frame, with the
// remainder spread so that `hertz` frames take exactly 1000 ms.
struct TFlipPacing {
  void Start(int rate, int now);
  // Advances to the next present time; returns how many ms to sleep (0: present at once, and the
  // schedule restarts from `now` instead of catching up).
  int Next(int now);

  int hertz = 0, frame_ms = 0, remainder_ms = 0, accumulator = 0, next_present = 0;
};

// The OpenGL 2D driver (one shared instance) and the null driver.
TDraw2DDriver* GLDraw2DDriver();
TDraw2DDriver* NullDraw2DDriver();

// Engine-wide state queries.
TGraphicsPtr OpenedGraphics();         // the context opened by Graphics, nullptr when none
TDraw2DDriver* CurrentDraw2DDriver();  // nullptr while no context is current
int GraphicsSeq();                     // the graphics generation, never 0
int GraphicsWidth();
int GraphicsHeight();

void SetGraphicsDriver(TDraw2DDriver* driver, int default_flags = 2);
// Opens the window (depth 0: windowed). nullptr when the driver cannot make the context; then
// GraphicsError() holds the one-line reason, for the caller to report before it stops.
TGraphicsPtr Graphics(int width, int height, int depth = 0, int hertz = 60, int flags = 0);
const std::string& GraphicsError();
// Closes the context opened by Graphics (registered to run at exit; tests call it directly).
void CloseGraphics();
void Flip(int sync = -1);
void Cls();
void SetColor(int red, int green, int blue);
void SetAlpha(float alpha);
void SetClsColor(int red, int green, int blue);
void SetBlend(int mode);
void SetRotation(float angle);
void SetScale(float sx, float sy);
void SetViewport(int x, int y, int width, int height);
void SetOrigin(float x, float y);
void DrawRect(float x, float y, float width, float height);
