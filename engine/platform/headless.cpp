// The offscreen backend: an EGL pbuffer instead of a window (or no GL at all for the null driver),
// and a virtual clock that moves only when the game waits. What a run of stomp-headless does at
// each frame (scripted input, screenshots, the observer, the exit) is headless_run.cpp's.
//
// The context has no alpha bits, as the game's window has none: screenshots and grabs read alpha
// 255 everywhere.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "engine/platform.h"
#include "engine/platform/headless.h"
#include "engine/platform/headless_internal.h"

namespace {

struct Timer {
  int id;
  int period;
  int64_t start;
  int64_t next;  // index k of the next tick, due at start + period * k
  int64_t Due() const { return start + period * next; }
};

struct State {
  int64_t clock = 0;  // wide, so due-time comparisons never wrap; Millisecs() truncates it
  std::deque<platform::Event> queue;
  std::vector<Timer> timers;
  int next_timer_id = 1;

  bool window_open = false;
  bool with_gl = false;
  int width = 0;
  int height = 0;

  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  EGLSurface surface = EGL_NO_SURFACE;
};

// Never destroyed: std::exit from inside a frame must not tear the state down under the at-exit
// actions that still close the window.
State& S() {
  static State* state = new State;
  return *state;
}

// Moves the clock to `target` and queues one event per timer that falls due on the way, counting
// its ticks, in the order the timers fall due: a jump of a day costs what one of a tick does.
void AdvanceTo(int64_t target) {
  State& s = S();
  std::vector<Timer*> due;
  for (Timer& timer : s.timers)
    if (timer.Due() <= target) due.push_back(&timer);
  std::stable_sort(due.begin(), due.end(),
                   [](const Timer* a, const Timer* b) { return a->Due() < b->Due(); });
  for (Timer* timer : due) {
    const int64_t last = (target - timer->start) / timer->period;  // the last tick due
    for (int64_t ticks = last - timer->next + 1; ticks > 0; ticks -= INT_MAX) {
      const int count = static_cast<int>(std::min<int64_t>(ticks, INT_MAX));
      s.queue.push_back({platform::kEventTimerTick, timer->id, count});
    }
    timer->next = last + 1;
  }
  s.clock = std::max(s.clock, target);
}

std::string EglError(const char* what) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%04X", eglGetError());
  return std::string(what) + " failed (EGL error " + code + ")";
}

// Mesa's surfaceless platform needs no X server or GPU; the default display is the fallback.
EGLDisplay InitialiseDisplay(std::string& error) {
  const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  auto get_platform_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (client &&
      std::string_view(client).find("EGL_MESA_platform_surfaceless") != std::string_view::npos &&
      get_platform_display) {
    EGLDisplay display =
        get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr)) return display;
  }
  EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (display != EGL_NO_DISPLAY && eglInitialize(display, nullptr, nullptr)) return display;
  error = EglError("no offscreen GL display: eglInitialize");
  return EGL_NO_DISPLAY;
}

// An RGB8 pbuffer config with no alpha bits, as the game's window has none: blending then leaves
// no alpha behind, and a read-back answers 255 there as on the desktop. EGL counts only the sizes
// asked for when it sorts, so a config with alpha may come first and is skipped.
bool ChooseOpaqueConfig(EGLDisplay display, EGLConfig& chosen) {
  const EGLint attribs[] = {EGL_SURFACE_TYPE,
                            EGL_PBUFFER_BIT,
                            EGL_RENDERABLE_TYPE,
                            EGL_OPENGL_BIT,
                            EGL_RED_SIZE,
                            8,
                            EGL_GREEN_SIZE,
                            8,
                            EGL_BLUE_SIZE,
                            8,
                            EGL_ALPHA_SIZE,
                            0,
                            EGL_NONE};
  EGLConfig configs[64];
  EGLint count = 0;
  if (!eglChooseConfig(display, attribs, configs, 64, &count)) return false;
  for (EGLint i = 0; i < count; ++i) {
    EGLint red = 0, green = 0, blue = 0, alpha = -1;
    eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &red);
    eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &green);
    eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &blue);
    eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &alpha);
    if (red == 8 && green == 8 && blue == 8 && alpha == 0) {
      chosen = configs[i];
      return true;
    }
  }
  return false;
}

bool CreateContext(int width, int height, std::string& error) {
  State& s = S();
  if (s.display == EGL_NO_DISPLAY) {
    s.display = InitialiseDisplay(error);
    if (s.display == EGL_NO_DISPLAY) return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error = EglError("desktop OpenGL through EGL: eglBindAPI");
    return false;
  }
  EGLConfig config;
  if (!ChooseOpaqueConfig(s.display, config)) {
    error = "no RGB8 pbuffer config without alpha for desktop OpenGL";
    return false;
  }
  // No version or profile requested: a compatibility context, so GL 1.1 immediate mode works.
  s.context = eglCreateContext(s.display, config, EGL_NO_CONTEXT, nullptr);
  if (s.context == EGL_NO_CONTEXT) {
    error = EglError("eglCreateContext");
    return false;
  }
  const EGLint surface_attribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  s.surface = eglCreatePbufferSurface(s.display, config, surface_attribs);
  if (s.surface == EGL_NO_SURFACE || !eglMakeCurrent(s.display, s.surface, s.surface, s.context)) {
    error = EglError("offscreen surface");
    if (s.surface != EGL_NO_SURFACE) eglDestroySurface(s.display, s.surface);
    eglDestroyContext(s.display, s.context);
    s.surface = EGL_NO_SURFACE;
    s.context = EGL_NO_CONTEXT;
    return false;
  }
  // A pbuffer has one colour buffer; it starts black like a fresh window's two.
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  return true;
}

}  // namespace

namespace headless {

void ResetBackend(int clock) {
  State& s = S();
  s.clock = clock;
  s.queue.clear();
  s.timers.clear();
}

void QueueEvent(const platform::Event& event) { S().queue.push_back(event); }

void AdvanceClock(int ms) { AdvanceTo(S().clock + ms); }

}  // namespace headless

namespace platform {

bool OpenWindow(int width, int height, const char* /*title*/, bool with_gl, std::string& error) {
  State& s = S();
  if (s.window_open) {
    error = "a window is open already";
    return false;
  }
  if (with_gl && !CreateContext(width, height, error)) return false;
  s.window_open = true;
  s.with_gl = with_gl;
  s.width = width;
  s.height = height;
  headless::WindowOpened();
  return true;
}

void CloseWindow() {
  State& s = S();
  if (!s.window_open) return;
  if (s.with_gl) {
    eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroySurface(s.display, s.surface);
    eglDestroyContext(s.display, s.context);
    s.surface = EGL_NO_SURFACE;
    s.context = EGL_NO_CONTEXT;
  }
  s.window_open = false;
  s.with_gl = false;
  s.width = s.height = 0;
}

void SwapWindow(int /*sync*/) {
  State& s = S();
  if (s.with_gl) {
    headless::FrameDrawn(s.width, s.height);
    // A pbuffer swap does not wait for rendering; without the finish, queued frames pile up in
    // the driver and memory grows with every frame.
    glFinish();
    eglSwapBuffers(s.display, s.surface);
  }
  headless::FramePresented();
}

void DrawableSize(int& width, int& height) {
  width = S().width;
  height = S().height;
}

bool PollEvent(Event& event) {
  State& s = S();
  if (s.queue.empty()) return false;
  event = s.queue.front();
  s.queue.pop_front();
  return true;
}

void WaitEvent() {
  State& s = S();
  if (!s.queue.empty()) return;
  auto next = std::min_element(s.timers.begin(), s.timers.end(),
                               [](const Timer& a, const Timer& b) { return a.Due() < b.Due(); });
  // Nothing else can ever arrive on the virtual clock: waiting would hang for good.
  if (next == s.timers.end()) headless::Fatal("the game waits for an event with no timer running");
  AdvanceTo(next->Due());
}

int Millisecs() { return static_cast<int>(static_cast<uint32_t>(S().clock)); }

int StartTimer(int period_ms) {
  State& s = S();
  if (period_ms < 1) return 0;
  Timer timer{s.next_timer_id++, period_ms, s.clock, 1};
  s.timers.push_back(timer);
  return timer.id;
}

void StopTimer(int id) {
  std::erase_if(S().timers, [id](const Timer& t) { return t.id == id; });
}

// There is no pointer offscreen.
void SetPointerHidden(bool /*hidden*/) {}

}  // namespace platform
