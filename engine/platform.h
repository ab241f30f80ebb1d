// The port's interface: everything the engine needs from the operating system.
//
// Exactly one backend implements these functions per executable (engine/platform/sdl2.cpp for the
// desktop, engine/platform/headless.cpp for the offscreen build used by tests and benchmarks);
// CMake picks it at link time. Nothing outside engine/platform/ may depend on which one it is.
//
// All functions are called on the main thread only. The engine's own semantics (key tracking, hit
// counts, timer tick counting, activation flushes) live in engine/system.cpp on top of the events
// delivered here.
#pragma once

#include <string>

namespace platform {

// Event ids, as the engine's event hooks know them.
enum EventId : int {
  kEventDeactivate = 257,  // the application lost activation to another process
  kEventActivate = 258,    // the application regained activation
  kEventClose = 259,       // close request (close box, Alt+F4)
  kEventKeyDown = 513,     // key press, data = virtual-key code 1..255
  kEventKeyUp = 514,       // key release, data = virtual-key code
  kEventKeyChar = 515,     // character typed, data = character code
  kEventKeyRepeat = 516,   // key auto-repeat, data = virtual-key code
  kEventTimerTick = 2049,  // periodic timer tick, data = the timer id from StartTimer
};

struct Event {
  int id = 0;
  int data = 0;
  int ticks = 1;  // kEventTimerTick: how many ticks of the timer this event stands for
};

// Opens the single window with a client area of width x height pixels, centred on the desktop,
// titled `title`, not resizable, with a double-buffered RGBA OpenGL context made current when
// `with_gl` is true; both buffers start black, so no present is needed to clear them. Returns false
// and sets `error` to one line when the window or context cannot be made. Called by the graphics
// drivers' CreateGraphics.
bool OpenWindow(int width, int height, const char* title, bool with_gl, std::string& error);

// Destroys the window and its context; nothing happens when none is open.
void CloseWindow();

// Presents the back buffer. `sync` != 0 asks for vertical sync, 0 presents at once.
// Called by the drivers' Flip once per frame.
void SwapWindow(int sync);

// Size of the GL drawable in pixels (may exceed the client size on HiDPI screens).
void DrawableSize(int& width, int& height);

// Removes the oldest pending event; false when the queue is empty. Never blocks.
bool PollEvent(Event& event);

// Blocks until at least one event is pending (a timer tick counts).
void WaitEvent();

// Milliseconds since an arbitrary fixed start, as a wrapping signed 32-bit value.
int Millisecs();

// Starts a periodic timer with the given period; its ticks arrive as kEventTimerTick events
// carrying the returned id (> 0), counted on the main thread. One event may stand for several
// ticks (`ticks`), so that a long stall costs no more than a short one. Returns 0 on failure.
int StartTimer(int period_ms);
void StopTimer(int id);

// Hides (true) or shows the pointer while it is over the window's client area.
void SetPointerHidden(bool hidden);

}  // namespace platform
