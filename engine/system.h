// Keyboard state, clocks, the frame timer, pointer hiding and program end.
//
// Window messages (platform events) are processed only when a key query, a key flush or a timer
// wait asks for it, so key state and timer ticks change only inside KeyHit, KeyDown, FlushKeys and
// WaitTimer.
#pragma once

#include <functional>
#include <memory>

// Processes every pending platform event without waiting: key tracking, activation flushes, the
// close-request flag and timer ticks. Not re-entered.
void PollSystem();

// Hit count of the key since its last KeyHit or flush (then reset to 0). Codes outside 0..255
// answer 0.
int KeyHit(int key);
// 1 while the key is held, else 0. Codes outside 0..255 answer 0.
int KeyDown(int key);
// Processes pending events, then clears all key states, hit counts and the character queue.
void FlushKeys();

// Switched on by Graphics when the window opens and off when it closes; both flush all keys.
void EnableKeyTracking(bool on);

// 1 after the window's close request (close box, Alt+F4) arrived; cleared by ClearCloseRequest.
int AppTerminate();
void ClearCloseRequest();
// 1 while the application is deactivated (another process has the focus).
int AppSuspended();

int MilliSecs();

class TTimer {
 public:
  static std::shared_ptr<TTimer> Create(float hertz);
  ~TTimer();
  int Ticks() const { return _ticks; }
  void Fire();   // called on the main thread for each tick event of this timer
  int Wait();    // blocks until a tick arrived since the last Wait; returns how many
  void Stop();
  int Handle() const { return _handle; }

 private:
  int _ticks = 0;
  int _wticks = 0;
  int _handle = 0;
};

using TTimerPtr = std::shared_ptr<TTimer>;

// Period = 1000 / hertz ms, truncated toward zero (50 Hz: 20 ms). nullptr when it cannot start.
TTimerPtr CreateTimer(float hertz);
int WaitTimer(TTimer& timer);

void HideMouse();
void ShowMouse();

// Ends the program with status 0, running the at-exit actions (window closed, keys off).
[[noreturn]] void End();

// Runs `body`; an engine error it does not handle ends the program with the error's text on stderr
// and exit status -1 (255 to the shell). Used by both main() functions.
int RunGuarded(const std::function<void()>& body);
