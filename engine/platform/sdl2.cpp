// The desktop backend on SDL2: one window with a GL compatibility context, keyboard and gamepad
// input as Windows virtual-key codes, focus changes, the close request, a millisecond clock and a
// periodic timer whose ticks are counted on the main thread.
//
// Implemented:
//  - key press, release and auto-repeat (SDL's repeat flag) for the keys of KeyCode() below;
//    left/right shift, control and alt as 160..165;
//  - F11 and Alt+Enter switch between the window and desktop fullscreen on the monitor the window
//    is on; these keys never reach the engine and take effect at the next present, between two
//    frames. Once the window first changes size, the game draws into an offscreen picture of the
//    window's first drawable size (engine/platform/sdl2_picture.h), shown 1:1 in the window and
//    scaled to fit, centred on black, in fullscreen; so DrawableSize, the viewport, the scissor and
//    every read-back stay in the game's coordinates. Until then it draws straight into the
//    window. Leaving fullscreen gives back the window at its place;
//  - gamepads through SDL's game controller support, attached and removed while running, as the
//    keys of engine/platform/sdl2_gamepad.h;
//  - activation: focus gained/lost; close request: SDL_QUIT (close box, Alt+F4 through the window
//    manager). SIGINT/SIGTERM stay ordinary signals so the process can always be stopped;
//  - the pointer hidden over the client area only (on X11 and Windows SDL sets the cursor per
//    window), which in fullscreen is the whole screen;
//  - the window icon from gfx/icon.png (the window keeps the system's icon when it is missing);
//    the icon and gamepad support are set up right after the first frame is shown, so that the
//    window shows the game as early as it can;
//  - swap interval per SwapWindow call; the drawable size for HiDPI screens, as the display the
//    window opened on reports it;
//  - no display is an error, not SDL's silent fallback to an invisible offscreen window.
// Missing:
//  - exclusive fullscreen (a changed display mode): fullscreen is always the desktop's own mode;
//  - following a move to a display of another pixel density: the picture keeps the drawable size
//    the window opened with and is scaled from it;
//  - fullscreen where the GL context has no framebuffer objects (GL < 3.0 without
//    ARB_framebuffer_object) or without GL: the game then draws straight into the window, and F11
//    and Alt+Enter do nothing;
//  - character events (515): the game reads none, so SDL text input stays off;
//  - keys without a natural virtual-key code (media keys and the like) are dropped, and so are
//    gamepad buttons and axes outside the mapping; joysticks SDL has no controller mapping for are
//    not used.
#include <SDL.h>
#include <SDL_opengl.h>

#include <time.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/pixmap.h"
#include "engine/platform.h"
#include "engine/platform/sdl2_gamepad.h"
#include "engine/platform/sdl2_picture.h"
#include "engine/system.h"

namespace {

// Shared with SDL's timer thread, which touches only `start`, `period`, `count` and `id`.
struct TimerRecord {
  int id = 0;
  Uint64 start = 0;
  Uint32 period = 0;
  std::atomic<Uint64> count{0};  // ticks pushed so far
  SDL_TimerID sdl_id = 0;        // 0 while the timer waits for SDL's timer thread
  bool active = false;
};

struct State {
  bool video_ready = false;
  Uint32 tick_event = 0;  // SDL user event type carrying timer ticks, 0 until registered
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  int swap_interval = -1;  // as last set; -1 before the first swap
  bool pointer_hidden = false;
  bool gamepads_ready = false;
  bool finish_opening = false;  // the icon and gamepads wait until the first frame is shown
  // The picture is made when the window first changes size; until then the game draws straight
  // into the window, which spares the framebuffer and a full-window copy per frame.
  platform::ScaledPicture picture;
  int width_at_open = 0, height_at_open = 0;  // the window's drawable as it opened: the game's
  bool toggle_requested = false;              // a fullscreen key was pressed since the last present
  bool resized = false;                       // the window changed size since the last present
  platform::GamepadKeys gamepads;
  // Keys whose press switched fullscreen: their repeats and release are not passed on either.
  std::array<bool, SDL_NUM_SCANCODES> toggle_keys_down{};
  std::deque<platform::Event> pending;  // translated events not handed out yet
  // Records live until exit: a tick callback may still be running while its timer is removed.
  std::vector<std::unique_ptr<TimerRecord>> timers;
  int next_timer_id = 1;
};

State& S() {
  static State* state = new State;
  return *state;
}

bool InitSubsystem(Uint32 flags, std::string* error) {
  // Ctrl+C and kill must end the program: SDL would turn them into close requests, which the
  // game ignores.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(flags) == 0) return true;
  if (error) *error = SDL_GetError();
  return false;
}

bool EnsureTickEvent() {
  State& s = S();
  if (s.tick_event) return true;
  if (!InitSubsystem(SDL_INIT_EVENTS, nullptr)) return false;
  Uint32 type = SDL_RegisterEvents(1);
  if (type == Uint32(-1)) return false;
  s.tick_event = type;
  return true;
}

// Runs on SDL's timer thread: only pushes an event. The next due time is counted from the start,
// so wake-up latency never accumulates into drift.
Uint32 OnTimer(Uint32 /*interval*/, void* param) {
  auto* record = static_cast<TimerRecord*>(param);
  SDL_Event event{};
  event.type = S().tick_event;
  event.user.code = record->id;
  SDL_PushEvent(&event);
  Uint64 done = record->count.fetch_add(1) + 1;
  Uint64 next_due = record->start + record->period * (done + 1);
  Uint64 now = SDL_GetTicks64();
  return next_due > now ? Uint32(next_due - now) : 1;
}

// SDL's timer thread is started only once the window system is up (or the program first asks for
// events): while a process has a second thread every stdio call takes a lock, and opening the
// window reads the X compose table, half a million characters under a UTF-8 locale, through them.
// A timer's ticks still count from when it was asked for.
void StartWaitingTimers() {
  for (const auto& record : S().timers) {
    if (!record->active || record->sdl_id) continue;
    const Uint64 now = SDL_GetTicks64(), due = record->start + record->period;
    const Uint32 first = due > now ? Uint32(due - now) : 1;
    if (InitSubsystem(SDL_INIT_TIMER, nullptr))
      record->sdl_id = SDL_AddTimer(first, OnTimer, record.get());
    if (!record->sdl_id) {
      // Without its thread no tick would ever come and the game would wait for ever.
      std::fprintf(stderr, "cannot start a timer: %s\n", SDL_GetError());
      std::exit(1);
    }
  }
}

int KeyCode(const SDL_Keysym& key) {
  SDL_Keycode sym = key.sym;
  if (sym >= SDLK_a && sym <= SDLK_z) return 'A' + (sym - SDLK_a);
  if (sym >= SDLK_0 && sym <= SDLK_9) return '0' + (sym - SDLK_0);
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return 112 + (sym - SDLK_F1);
  if (sym >= SDLK_F13 && sym <= SDLK_F24) return 124 + (sym - SDLK_F13);
  if (sym >= SDLK_KP_1 && sym <= SDLK_KP_9) return 97 + (sym - SDLK_KP_1);
  switch (sym) {
    case SDLK_LEFT: return kKeyLeft;
    case SDLK_UP: return kKeyUp;
    case SDLK_RIGHT: return kKeyRight;
    case SDLK_DOWN: return kKeyDown;
    case SDLK_SPACE: return kKeySpace;
    case SDLK_ESCAPE: return kKeyEscape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return 13;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_LSHIFT: return 160;
    case SDLK_RSHIFT: return 161;
    case SDLK_LCTRL: return 162;
    case SDLK_RCTRL: return 163;
    case SDLK_LALT: return 164;
    case SDLK_RALT: return 165;
    case SDLK_PAUSE: return 19;
    case SDLK_CAPSLOCK: return 20;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_PRINTSCREEN: return 44;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    case SDLK_LGUI: return 91;
    case SDLK_RGUI: return 92;
    case SDLK_APPLICATION: return 93;
    case SDLK_KP_0: return 96;
    case SDLK_KP_MULTIPLY: return 106;
    case SDLK_KP_PLUS: return 107;
    case SDLK_KP_MINUS: return 109;
    case SDLK_KP_PERIOD: return 110;
    case SDLK_KP_DIVIDE: return 111;
    case SDLK_NUMLOCKCLEAR: return 144;
    case SDLK_SCROLLLOCK: return 145;
    case SDLK_SEMICOLON: return 186;
    case SDLK_EQUALS: return 187;
    case SDLK_COMMA: return 188;
    case SDLK_MINUS: return 189;
    case SDLK_PERIOD: return 190;
    case SDLK_SLASH: return 191;
    case SDLK_BACKQUOTE: return 192;
    case SDLK_LEFTBRACKET: return 219;
    case SDLK_BACKSLASH: return 220;
    case SDLK_RIGHTBRACKET: return 221;
    case SDLK_QUOTE: return 222;
    default: return 0;
  }
}

bool IsFullscreenToggle(const SDL_Keysym& key) {
  return key.sym == SDLK_F11 ||
         ((key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && (key.mod & KMOD_ALT));
}

bool EnsurePicture() {
  State& s = S();
  return s.picture.Ready() || s.picture.Create(s.width_at_open, s.height_at_open);
}

void ToggleFullscreen() {
  State& s = S();
  if (!EnsurePicture()) return;  // an unscaled picture would sit in a corner
  const bool full = SDL_GetWindowFlags(s.window) & SDL_WINDOW_FULLSCREEN;
  SDL_SetWindowFullscreen(s.window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

// The fullscreen keys, handled here and kept from the engine; true when the event was one.
bool HandleFullscreenKey(const SDL_KeyboardEvent& key) {
  bool& down = S().toggle_keys_down[key.keysym.scancode];
  if (key.type == SDL_KEYUP) {
    const bool swallowed = down;
    down = false;
    return swallowed;
  }
  if (key.repeat) return down;
  down = IsFullscreenToggle(key.keysym);
  if (down) S().toggle_requested = true;
  return down;
}

// Queues the engine's events for one SDL event; the engine has no use for most of them.
void Translate(const SDL_Event& e) {
  State& s = S();
  if (s.tick_event && e.type == s.tick_event) {
    for (const auto& record : s.timers)
      if (record->id == e.user.code && record->active)  // not a late tick of a stopped timer
        s.pending.push_back({platform::kEventTimerTick, record->id});
    return;
  }
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      if (HandleFullscreenKey(e.key)) return;
      int code = KeyCode(e.key.keysym);
      if (code < 1 || code > 255) return;
      int id = e.type == SDL_KEYUP ? platform::kEventKeyUp
               : e.key.repeat      ? platform::kEventKeyRepeat
                                   : platform::kEventKeyDown;
      s.pending.push_back({id, code});
      return;
    }
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
        s.pending.push_back({platform::kEventActivate, 0});
      else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
        s.pending.push_back({platform::kEventDeactivate, 0});
      else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        s.resized = true;
      return;
    case SDL_QUIT: s.pending.push_back({platform::kEventClose, 0}); return;
    default: {
      std::vector<platform::Event> keys;
      s.gamepads.Handle(e, keys);
      s.pending.insert(s.pending.end(), keys.begin(), keys.end());
      return;
    }
  }
}

// The window icon; without the file the window keeps the system's.
void SetIcon(SDL_Window* window) {
  TPixmapPtr icon = LoadPixmapPNG("gfx/icon.png");
  if (!icon) return;
  if (icon->format != PF_RGBA8888) icon = icon->Convert(PF_RGBA8888);
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      icon->pixels, icon->width, icon->height, 32, icon->pitch, SDL_PIXELFORMAT_RGBA32);
  if (!surface) return;
  SDL_SetWindowIcon(window, surface);
  SDL_FreeSurface(surface);
}

void ApplyPointer() { SDL_ShowCursor(S().pointer_hidden ? SDL_DISABLE : SDL_ENABLE); }

// What the window does not need to show its first frame: the gamepad subsystem (the controller
// database, device enumeration) and the icon's decoding would keep the player waiting that much
// longer for the menu.
void FinishOpening() {
  State& s = S();
  s.finish_opening = false;
  SetIcon(s.window);
  // Without game controller support the keyboard still plays.
  if (!s.gamepads_ready) s.gamepads_ready = InitSubsystem(SDL_INIT_GAMECONTROLLER, nullptr);
}

void Present(int sync) {
  State& s = S();
  int interval = sync != 0 ? 1 : 0;
  if (interval != s.swap_interval) {
    SDL_GL_SetSwapInterval(interval);
    s.swap_interval = interval;
  }
  if (!s.picture.Ready()) {
    SDL_GL_SwapWindow(s.window);
    return;
  }
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(s.window, &width, &height);
  s.picture.DrawOntoWindow(width, height);
  SDL_GL_SwapWindow(s.window);
  s.picture.Rebind();
}

// Between two frames, so that the next one is drawn whole into whatever is bound from now on: the
// fullscreen keys take effect, and a window resized from outside (a window manager's own
// fullscreen) gets its scaled picture.
void BetweenFrames() {
  State& s = S();
  const bool resized = s.resized;
  s.resized = false;
  if (s.toggle_requested) {
    s.toggle_requested = false;
    ToggleFullscreen();
  } else if (resized && !s.picture.Ready()) {
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(s.window, &width, &height);
    if (width != s.width_at_open || height != s.height_at_open) EnsurePicture();
  }
}

}  // namespace

namespace platform {

bool OpenWindow(int width, int height, const char* title, bool with_gl, std::string& error) {
  State& s = S();
  if (s.window) {
    error = "a window is open already";
    return false;
  }
  std::string why;
  if (!s.video_ready) {
#if defined(__unix__) && !defined(__APPLE__)
    // Probing for a display that is not there only prints library noise before failing.
    if (!SDL_getenv("DISPLAY") && !SDL_getenv("WAYLAND_DISPLAY") &&
        !SDL_getenv("SDL_VIDEODRIVER")) {
      error = "cannot open a window: no display (DISPLAY and WAYLAND_DISPLAY are unset)";
      return false;
    }
#endif
    if (!InitSubsystem(SDL_INIT_VIDEO, &why)) {
      error = "cannot open a window: " + why;
      return false;
    }
    // Without a display SDL falls back to drivers that show nothing; a game nobody can see would
    // run forever. They stay available when asked for by name through SDL_VIDEODRIVER.
    std::string_view driver = SDL_GetCurrentVideoDriver();
    if ((driver == "offscreen" || driver == "dummy") && !SDL_getenv("SDL_VIDEODRIVER")) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      error = "cannot open a window: no display found";
      return false;
    }
    s.video_ready = true;
    StartWaitingTimers();
  }
  if (with_gl) {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  }
  // Centred on the desktop with each half truncated, as a windowed game of this size expects.
  SDL_Rect desktop{0, 0, width, height};
  SDL_GetDisplayBounds(0, &desktop);
  int x = desktop.x + desktop.w / 2 - width / 2;
  int y = desktop.y + desktop.h / 2 - height / 2;
  Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI | (with_gl ? SDL_WINDOW_OPENGL : 0);
  s.window = SDL_CreateWindow(title, x, y, width, height, flags);
  if (!s.window) {
    error = std::string("cannot open a window: ") + SDL_GetError();
    return false;
  }
  s.finish_opening = true;
  if (with_gl) {
    s.context = SDL_GL_CreateContext(s.window);
    if (!s.context) {
      error = std::string("cannot create an OpenGL context: ") + SDL_GetError();
      SDL_DestroyWindow(s.window);
      s.window = nullptr;
      return false;
    }
    SDL_GL_SetSwapInterval(0);
    s.swap_interval = 0;
    // Both buffers black before the game draws, without the game presenting anything.
    glClearColor(0, 0, 0, 0);
    for (int i = 0; i < 2; ++i) {
      glClear(GL_COLOR_BUFFER_BIT);
      SDL_GL_SwapWindow(s.window);
    }
    SDL_GL_GetDrawableSize(s.window, &s.width_at_open, &s.height_at_open);
  }
  ApplyPointer();
  return true;
}

void CloseWindow() {
  State& s = S();
  if (!s.window) return;
  s.picture.Destroy();
  if (s.context) SDL_GL_DeleteContext(s.context);
  SDL_DestroyWindow(s.window);
  s.context = nullptr;
  s.window = nullptr;
  s.gamepads.CloseAll();
  if (s.gamepads_ready) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  s.gamepads_ready = false;
  s.finish_opening = false;
  s.toggle_requested = false;
  s.resized = false;
  s.toggle_keys_down.fill(false);
  s.pending.clear();
}

void SwapWindow(int sync) {
  State& s = S();
  if (!s.window) return;
  if (s.context) {
    Present(sync);
    BetweenFrames();
  } else {
    s.toggle_requested = false;  // without GL there is no picture to scale
  }
  if (s.finish_opening) FinishOpening();
}

// The game's size: the window's drawable as it opened, which the picture keeps whatever size the
// window takes; a window without GL has only its own.
void DrawableSize(int& width, int& height) {
  State& s = S();
  width = height = 0;
  if (s.context) {
    width = s.width_at_open;
    height = s.height_at_open;
  } else if (s.window) {
    SDL_GL_GetDrawableSize(s.window, &width, &height);
  }
}

bool PollEvent(Event& event) {
  State& s = S();
  if (!s.video_ready) StartWaitingTimers();  // with the window system up, no timer waits
  if (s.pending.empty() && (s.video_ready || s.tick_event)) {
    SDL_Event e;
    while (s.pending.empty() && SDL_PollEvent(&e)) Translate(e);
  }
  if (s.pending.empty()) return false;
  event = s.pending.front();
  s.pending.pop_front();
  return true;
}

void WaitEvent() {
  State& s = S();
  if (!s.video_ready && !s.tick_event) return;
  if (!s.video_ready) StartWaitingTimers();
  // What wakes us stays queued, so the next PollEvent delivers it.
  SDL_Event e;
  while (s.pending.empty() && SDL_WaitEvent(&e)) Translate(e);
}

// Milliseconds since the system started, not since SDL did: the game seeds its random generator
// from this clock right after start-up, and SDL's own ticks would be 0 there at every launch.
int Millisecs() {
  timespec t{};
  clock_gettime(CLOCK_BOOTTIME, &t);
  const uint64_t ms = uint64_t(t.tv_sec) * 1000u + uint64_t(t.tv_nsec) / 1000000u;
  return static_cast<int>(static_cast<uint32_t>(ms));  // wraps like a 32-bit millisecond counter
}

int StartTimer(int period_ms) {
  State& s = S();
  if (period_ms < 1 || !EnsureTickEvent()) return 0;
  auto record = std::make_unique<TimerRecord>();
  record->id = s.next_timer_id++;
  record->period = Uint32(period_ms);
  record->start = SDL_GetTicks64();
  record->active = true;
  s.timers.push_back(std::move(record));
  if (s.video_ready) StartWaitingTimers();
  return s.timers.back()->id;
}

void StopTimer(int id) {
  for (const auto& record : S().timers)
    if (record->id == id && record->active) {
      if (record->sdl_id) SDL_RemoveTimer(record->sdl_id);
      record->active = false;
    }
}

void SetPointerHidden(bool hidden) {
  State& s = S();
  s.pointer_hidden = hidden;
  if (s.video_ready) ApplyPointer();
}

}  // namespace platform
