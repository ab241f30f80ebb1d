// Keyboard state, clocks, the frame timer, pointer hiding and program end.
//
// Window messages (platform events) are processed only when a key query, a key flush or a timer
// wait asks for it, so key state and timer ticks change only inside KeyHit, KeyDown, FlushKeys,
// GetChar and WaitTimer.
#pragma once

#include <functional>
#include <memory>

// Processes every pending platform event without waiting: key tracking, activation flushes, the
// close-request flag and timer ticks. A call made while one is running does nothing.
void PollSystem();

// The virtual-key codes of the keys the game reads, as every backend delivers them.
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeySpace = 32;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;

// Hit count of the key since its last KeyHit or flush (then reset to 0). Codes outside 0..255
// answer 0.
int KeyHit(int key);
// 1 while the key is held, else 0. Codes outside 0..255 answer 0.
int KeyDown(int key);
// Processes pending events, then clears all key states, hit counts and the character queue.
// A key still held counts again only after it is released and pressed anew.
void FlushKeys();
// The oldest character typed and not yet taken (at most 256 wait), or 0 when there is none.
int GetChar();

// Switched on by Graphics when the window opens and off at exit; both flush all keys. While off,
// key, character, activation and close events are ignored (timer ticks still count).
void EnableKeyTracking(bool on);

// 1 after the window's close request (close box, Alt+F4) arrived; cleared by ClearCloseRequest.
int AppTerminate();
void ClearCloseRequest();
// 1 while the application is deactivated (another process has the focus).
int AppSuspended();

int MilliSecs();

// A periodic timer. Its ticks are counted on the main thread while events are processed; a
// running timer is kept alive by the engine until it is stopped.
class TTimer {
 public:
  static std::shared_ptr<TTimer> Create(float hertz);
  int Ticks() const { return _ticks; }
  void Fire(int ticks = 1);  // called by PollSystem for each tick event of this timer
  // Returns at once with 0 when stopped; else blocks until a tick arrived since the last Wait and
  // returns how many arrived (more than 1 after a slow frame: the caller does not catch up).
  int Wait();
  void Stop();
  int Handle() const { return _handle; }

 private:
  int _ticks = 0;
  int _wticks = 0;
  int _handle = 0;
};

using TTimerPtr = std::shared_ptr<TTimer>;

// Period = 1000 / hertz ms, truncated toward zero (50 Hz: 20 ms, 60 Hz: 16 ms). nullptr when the
// rate is not positive, the period would be below 1 ms, 16 timers are already running or the
// platform refuses.
TTimerPtr CreateTimer(float hertz);
int WaitTimer(TTimer& timer);

void HideMouse();
void ShowMouse();

// Ends the program with status 0, running the at-exit actions (window closed, keys off).
[[noreturn]] void End();

// Runs `body`; an engine error it does not handle ends the program with the error's text on stderr
// and exit status -1 (255 to the shell). Used by both main() functions.
int RunGuarded(const std::function<void()>& body);
