// Engine-wide graphics state: driver selection, the opened context, the current drawing context
// and the drawing-state operations that store state and pass it to the current 2D driver.
#include "engine/graphics.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <thread>

#include "engine/platform.h"
#include "engine/stream.h"
#include "engine/system.h"

namespace {

struct GraphicsState {
  TDraw2DGraphics* context = nullptr;  // current drawing context
  TDraw2DDriver* draw_driver = nullptr;
  TGraphicsDriver* driver = nullptr;
  int default_flags = 0;
  TGraphicsPtr current;
  int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  TGraphicsPtr opened;
  bool close_registered = false;
  bool vsync_default = false;
  bool pacing_on = false;
  TFlipPacing pacing;
  int seq = 1;
  std::string error;
};

GraphicsState& State() {
  static GraphicsState state;
  return state;
}

void NextGraphicsSeq() {
  int& seq = State().seq;
  ++seq;
  if (seq == 0) seq = 1;
}

// Switches the current graphics driver, releasing the old one's context first.
void UseDriver(TGraphicsDriver* driver) {
  GraphicsState& s = State();
  if (driver == s.driver) return;
  if (s.driver && s.current) s.driver->SetGraphics(nullptr);
  s.driver = driver;
}

void ForgetCurrent() {
  GraphicsState& s = State();
  s.current = nullptr;
  s.width = s.height = s.depth = s.hertz = s.flags = 0;
}

void CloseAtExit() { CloseGraphics(); }

void ApplyTransform(TDraw2DGraphics& g) {
  // Every particle turns and then turns back to 0, so the unrotated case skips sin and cos (same
  // values exactly).
  double s = 0.0, c = 1.0;
  if (g.tform_rot != 0.0f) {
    const double radians = g.tform_rot * std::numbers::pi / 180.0;
    s = std::sin(radians);
    c = std::cos(radians);
  }
  g.tform_ix = static_cast<float>(c * g.tform_scale_x);
  g.tform_iy = static_cast<float>(-s * g.tform_scale_y);
  g.tform_jx = static_cast<float>(s * g.tform_scale_x);
  g.tform_jy = static_cast<float>(c * g.tform_scale_y);
  g._driver->SetTransform(g.tform_ix, g.tform_iy, g.tform_jx, g.tform_jy);
}

// The viewport is kept in virtual coordinates; the driver gets window pixels.
void ApplyViewport(TDraw2DGraphics& g) {
  const int x0 = static_cast<int>(std::floor(g.viewport_x / g.vres_mousexscale));
  const int y0 = static_cast<int>(std::floor(g.viewport_y / g.vres_mouseyscale));
  const int x1 = static_cast<int>(std::floor((g.viewport_x + g.viewport_w) / g.vres_mousexscale));
  const int y1 = static_cast<int>(std::floor((g.viewport_y + g.viewport_h) / g.vres_mouseyscale));
  g._driver->SetViewport(x0, y0, x1 - x0, y1 - y0);
}

void ApplyVirtualResolution(TDraw2DGraphics& g, float width, float height) {
  g.vres_width = width;
  g.vres_height = height;
  g.vres_mousexscale = g.g_width ? width / g.g_width : 1.0f;
  g.vres_mouseyscale = g.g_height ? height / g.g_height : 1.0f;
  g._driver->SetResolution(width, height);
}

}  // namespace

// ---- Software pacing --------------------------------------------------------------------------

void TFlipPacing::Start(int rate, int now) {
  hertz = rate;
  frame_ms = 1000 / rate;
  remainder_ms = 1000 - frame_ms * rate;
  accumulator = 0;
  next_present = now;
}

int TFlipPacing::Next(int now) {
  next_present += frame_ms;
  accumulator += remainder_ms;
  if (accumulator >= hertz) {
    accumulator -= hertz;
    next_present += 1;
  }
  const int wait = next_present - now;
  if (wait > 0) return wait;
  next_present = now;
  return 0;
}

// ---- Driver-side state cache ------------------------------------------------------------------

void TDrawStateCache::Forget() {
  blend_mode = 0;
  texture = 0;
  texturing = false;
}

bool TDrawStateCache::SetBlend(int mode) {
  if (mode == blend_mode) return false;
  blend_mode = mode;
  return true;
}

bool TDrawStateCache::BindTexture(unsigned name) {
  if (name == texture) return false;
  texture = name;
  return true;
}

bool TDrawStateCache::EnableTexturing(bool on) {
  if (on == texturing) return false;
  texturing = on;
  return true;
}

void TDrawStateCache::ForgetTexture(unsigned name) {
  if (name == texture) texture = 0;
}

void TDrawStateCache::SetColor(int red, int green, int blue) {
  color[0] = static_cast<uint8_t>(std::clamp(red, 0, 255));
  color[1] = static_cast<uint8_t>(std::clamp(green, 0, 255));
  color[2] = static_cast<uint8_t>(std::clamp(blue, 0, 255));
}

void TDrawStateCache::SetAlpha(float alpha) {
  if (!(alpha >= 0.0f)) alpha = 0.0f;  // NaN too: converting it to a byte would be undefined
  color[3] = static_cast<uint8_t>(std::clamp(alpha, 0.0f, 1.0f) * 255.0f);
}

void TDrawStateCache::SetTransform(float new_ix, float new_iy, float new_jx, float new_jy) {
  ix = new_ix, iy = new_iy, jx = new_jx, jy = new_jy;
}

// ---- Window contexts ---------------------------------------------------------------------------

TGraphicsPtr TWindowGraphics::Open(TGraphicsDriver* driver, int width, int height, int depth,
                                   int hertz, int flags, bool with_gl) {
  std::string error;
  if (!platform::OpenWindow(width, height, "Corvane Application", with_gl, error)) {
    throw TRuntimeError(error);
  }
  auto g = std::make_shared<TWindowGraphics>();
  g->_driver = driver;
  g->_width = width, g->_height = height, g->_depth = depth, g->_hertz = hertz, g->_flags = flags;
  g->_context = 1;
  return g;
}

TWindowGraphics::~TWindowGraphics() { Close(); }

void TWindowGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) {
  width = _width, height = _height, depth = _depth, hertz = _hertz, flags = _flags;
}

void TWindowGraphics::Close() {
  if (!_context) return;
  platform::CloseWindow();
  _context = 0;
}

void SelectDraw2DGraphics(TDraw2DDriver& driver, const TGraphicsPtr& g) {
  auto* context = dynamic_cast<TDraw2DGraphics*>(g.get());
  if (!context) {
    TDraw2DGraphics::ClearCurrent();
    return;
  }
  driver.ResetContext(*context);
  context->MakeCurrent();
}

// ---- The drawing context -----------------------------------------------------------------------

std::shared_ptr<TDraw2DGraphics> TDraw2DGraphics::Create(TGraphicsPtr graphics,
                                                         TDraw2DDriver* driver) {
  auto g = std::make_shared<TDraw2DGraphics>();
  g->_graphics = std::move(graphics);
  g->_driver = driver;
  int depth, hertz, flags;
  g->GetSettings(g->g_width, g->g_height, depth, hertz, flags);
  g->viewport_w = g->g_width;
  g->viewport_h = g->g_height;
  g->vres_width = static_cast<float>(g->g_width);
  g->vres_height = static_cast<float>(g->g_height);
  return g;
}

TDraw2DGraphics* TDraw2DGraphics::Current() { return State().context; }

void TDraw2DGraphics::ClearCurrent() {
  State().context = nullptr;
  State().draw_driver = nullptr;
}

void TDraw2DGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) {
  width = height = depth = hertz = flags = 0;
  if (_graphics) _graphics->GetSettings(width, height, depth, hertz, flags);
}

void TDraw2DGraphics::Close() {
  if (_graphics) _graphics->Close();
  _graphics = nullptr;
  _driver = nullptr;
}

// Called by MakeCurrent: re-applies the whole stored state to the driver.
void TDraw2DGraphics::Validate() {
  int width, height, depth, hertz, flags;
  GetSettings(width, height, depth, hertz, flags);
  if (width != g_width || height != g_height) {
    g_width = width;
    g_height = height;
    vres_width = static_cast<float>(width);
    vres_height = static_cast<float>(height);
    vres_mousexscale = vres_mouseyscale = 1.0f;
  }
  ApplyVirtualResolution(*this, vres_width, vres_height);
  _driver->SetBlend(blend_mode);
  _driver->SetColor(color_red, color_green, color_blue);
  _driver->SetAlpha(color_alpha);
  _driver->SetClsColor(clscolor_red, clscolor_green, clscolor_blue);
  _driver->SetLineWidth(line_width);
  ApplyTransform(*this);
  ApplyViewport(*this);
}

// Called by the drivers' SetGraphics once their context state has been reset.
void TDraw2DGraphics::MakeCurrent() {
  State().context = this;
  State().draw_driver = _driver;
  Validate();
  if (_setup) return;
  // The backend opened the window with both buffers black (platform::OpenWindow); presenting here
  // would show a frame the game never drew, so the first set-up only clears the back buffer.
  _driver->Cls();
  _setup = 1;
}

// ---- Engine-wide operations --------------------------------------------------------------------

TDraw2DDriver* CurrentDraw2DDriver() { return State().draw_driver; }
TGraphicsPtr OpenedGraphics() { return State().opened; }
int GraphicsSeq() { return State().seq; }
int GraphicsWidth() { return State().width; }
int GraphicsHeight() { return State().height; }
const std::string& GraphicsError() { return State().error; }

void SetGraphicsDriver(TDraw2DDriver* driver, int default_flags) {
  NextGraphicsSeq();
  UseDriver(driver);
  State().default_flags = default_flags;
  ForgetCurrent();
}

TGraphicsPtr Graphics(int width, int height, int depth, int hertz, int flags) {
  GraphicsState& s = State();
  CloseGraphics();
  flags |= s.default_flags;
  if (!s.driver) {
    s.error = "no graphics driver selected";
    return nullptr;
  }
  TGraphicsPtr g;
  try {
    g = s.driver->CreateGraphics(width, height, depth, hertz, flags);
  } catch (const TRuntimeError& e) {
    s.error = e.what();
    return nullptr;
  }
  if (!g) {
    s.error = "the graphics driver made no context";
    return nullptr;
  }
  s.error.clear();
  NextGraphicsSeq();

  UseDriver(g->Driver());
  s.current = g;
  g->GetSettings(s.width, s.height, s.depth, s.hertz, s.flags);
  s.driver->SetGraphics(g);

  s.pacing_on = depth == 0 && hertz != 0;
  s.vsync_default = depth != 0 && hertz != 0;
  if (s.pacing_on) s.pacing.Start(hertz, MilliSecs());

  EnableKeyTracking(true);
  s.opened = g;
  if (!s.close_registered) {
    std::atexit(CloseAtExit);
    s.close_registered = true;
  }
  return g;
}

void CloseGraphics() {
  GraphicsState& s = State();
  if (!s.opened) return;
  NextGraphicsSeq();
  EnableKeyTracking(false);
  TGraphicsPtr g = std::move(s.opened);
  s.opened = nullptr;
  if (g == s.current) {
    if (s.driver) s.driver->SetGraphics(nullptr);
    ForgetCurrent();
  }
  g->Close();
}

void Flip(int sync) {
  GraphicsState& s = State();
  if (!s.driver) return;
  if (sync != -1) {
    s.driver->Flip(sync);
  } else if (!s.current || s.current != s.opened) {
    s.driver->Flip(1);
  } else if (s.pacing_on) {
    if (const int wait = s.pacing.Next(MilliSecs())) {
      std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    }
    s.driver->Flip(0);
  } else {
    s.driver->Flip(s.vsync_default ? 1 : 0);
  }
}

void Cls() {
  if (auto* g = TDraw2DGraphics::Current()) g->_driver->Cls();
}

void SetColor(int red, int green, int blue) {
  auto* g = TDraw2DGraphics::Current();
  if (!g) return;
  g->color_red = red, g->color_green = green, g->color_blue = blue;
  g->_driver->SetColor(red, green, blue);
}

void SetAlpha(float alpha) {
  auto* g = TDraw2DGraphics::Current();
  if (!g) return;
  g->color_alpha = alpha;
  g->_driver->SetAlpha(alpha);
}

void SetClsColor(int red, int green, int blue) {
  auto* g = TDraw2DGraphics::Current();
  if (!g) return;
  g->clscolor_red = red, g->clscolor_green = green, g->clscolor_blue = blue;
  g->_driver->SetClsColor(red, green, blue);
}

void SetBlend(int mode) {
  auto* g = TDraw2DGraphics::Current();
  if (!g) return;
  g->blend_mode = mode;
  g->_driver->SetBlend(mode);
}

void SetRotation(float angle) {
  auto* g = TDraw2DGraphics::Current();
  if (!g) return;
  g->tform_rot = angle;
  ApplyTransform(*g);
}

void SetScale(float sx, float sy) {
  auto* g = TDraw2DGraphics::Current();
  if (!g) return;
  g->tform_scale_x = sx, g->tform_scale_y = sy;
  ApplyTransform(*g);
}

void SetViewport(int x, int y, int width, int height) {
  auto* g = TDraw2DGraphics::Current();
  if (!g) return;
  g->viewport_x = x, g->viewport_y = y, g->viewport_w = width, g->viewport_h = height;
  ApplyViewport(*g);
}

void SetOrigin(float x, float y) {
  auto* g = TDraw2DGraphics::Current();
  if (!g) return;
  g->origin_x = x, g->origin_y = y;
}

void DrawRect(float x, float y, float width, float height) {
  auto* g = TDraw2DGraphics::Current();
  if (!g) return;
  g->_driver->DrawRect(g->handle_x, g->handle_y, g->handle_x + width, g->handle_y + height,
                       x + g->origin_x, y + g->origin_y);
}
