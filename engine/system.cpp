#include "engine/system.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <utility>

#include "engine/numbers.h"
#include "engine/platform.h"

namespace {

constexpr int kKeyCount = 256;
constexpr int kCharQueueSize = 256;
constexpr int kMaxTimers = 16;

struct KeyTracking {
  std::array<int, kKeyCount> state{};
  std::array<int, kKeyCount> hits{};
  std::array<int, kCharQueueSize> chars{};
  int char_put = 0;  // counters; their difference is the number waiting
  int char_get = 0;
  bool on = false;
};

KeyTracking keys;
bool suspended = false;
bool terminate_requested = false;
bool polling = false;

// The running timers by platform id; holding them keeps them alive until Stop.
struct ActiveTimer {
  int id = 0;
  TTimerPtr timer;
};
std::array<ActiveTimer, kMaxTimers> active_timers;
int active_timer_count = 0;

void ResetKeys() {
  keys.state.fill(0);
  keys.hits.fill(0);
  keys.char_put = 0;
  keys.char_get = 0;
}

bool IsKeyCode(int code) { return code >= 0 && code < kKeyCount; }
// Events carry codes 1..255; anything else is ignored.
bool IsEventKey(int code) { return code >= 1 && code < kKeyCount; }

// The keyboard tracker: sees the window's events while tracking is on.
void TrackEvent(const platform::Event& event) {
  switch (event.id) {
    case platform::kEventKeyDown:
      if (IsEventKey(event.data) && keys.state[event.data] == 0) {
        keys.state[event.data] = 1;
        ++keys.hits[event.data];
      }
      break;
    case platform::kEventKeyUp:
      if (IsEventKey(event.data)) keys.state[event.data] = 0;
      break;
    case platform::kEventKeyChar:
      if (keys.char_put - keys.char_get < kCharQueueSize) {
        keys.chars[keys.char_put++ % kCharQueueSize] = event.data;
      }
      break;
    case platform::kEventDeactivate:
    case platform::kEventActivate:
      // Keys released while another process had the focus never reach us.
      ResetKeys();
      suspended = event.id == platform::kEventDeactivate;
      break;
    case platform::kEventClose:
      terminate_requested = true;  // recorded only: the game quits from its menu
      break;
    default: break;  // auto-repeat is ignored, so holding a key counts one press
  }
}

void FireTimer(int id, int ticks) {
  for (int i = 0; i < active_timer_count; ++i) {
    if (active_timers[i].id == id) {
      active_timers[i].timer->Fire(ticks);
      return;
    }
  }
}

}  // namespace

void PollSystem() {
  if (polling) return;
  polling = true;
  platform::Event event;
  while (platform::PollEvent(event)) {
    if (event.id == platform::kEventTimerTick) {
      FireTimer(event.data, event.ticks);
    } else if (keys.on) {
      TrackEvent(event);
    }
  }
  polling = false;
}

int KeyHit(int key) {
  PollSystem();
  if (!IsKeyCode(key)) return 0;
  const int hits = keys.hits[key];
  keys.hits[key] = 0;
  return hits;
}

int KeyDown(int key) {
  PollSystem();
  return IsKeyCode(key) ? keys.state[key] : 0;
}

void FlushKeys() {
  PollSystem();
  ResetKeys();
}

int GetChar() {
  PollSystem();
  if (keys.char_get == keys.char_put) return 0;
  return keys.chars[keys.char_get++ % kCharQueueSize];
}

void EnableKeyTracking(bool on) {
  if (keys.on == on) return;
  ResetKeys();
  keys.on = on;
}

int AppTerminate() { return terminate_requested ? 1 : 0; }
void ClearCloseRequest() { terminate_requested = false; }
int AppSuspended() { return suspended ? 1 : 0; }

int MilliSecs() { return platform::Millisecs(); }

std::shared_ptr<TTimer> TTimer::Create(float hertz) {
  if (active_timer_count == kMaxTimers || !(hertz > 0)) return nullptr;  // also refuses NaN
  const int period = TruncInt(1000.0f / hertz);
  if (period < 1) return nullptr;
  const int id = platform::StartTimer(period);
  if (id == 0) return nullptr;
  auto timer = std::make_shared<TTimer>();
  timer->_handle = id;
  active_timers[active_timer_count++] = ActiveTimer{id, timer};
  return timer;
}

void TTimer::Fire(int ticks) {
  if (_handle != 0) _ticks += ticks;  // wraps like the int it is (-fwrapv)
}

int TTimer::Wait() {
  if (_handle == 0) return 0;
  // A close request ends the wait too: the program is about to end, and the player should not
  // wait a frame for it.
  while (_ticks == _wticks && !terminate_requested) {
    platform::WaitEvent();
    PollSystem();
  }
  const int n = _ticks - _wticks;
  _wticks += n;
  return n;
}

void TTimer::Stop() {
  if (_handle == 0) return;
  TTimerPtr keep;  // the list may hold the last reference; release it only when done here
  for (int i = 0; i < active_timer_count; ++i) {
    if (active_timers[i].id == _handle) {
      keep = std::move(active_timers[i].timer);
      active_timers[i] = std::move(active_timers[--active_timer_count]);
      active_timers[active_timer_count] = ActiveTimer{};
      break;
    }
  }
  platform::StopTimer(_handle);
  _handle = 0;
}

TTimerPtr CreateTimer(float hertz) { return TTimer::Create(hertz); }
int WaitTimer(TTimer& timer) { return timer.Wait(); }

void HideMouse() { platform::SetPointerHidden(true); }
void ShowMouse() { platform::SetPointerHidden(false); }

void End() { std::exit(0); }

int RunGuarded(const std::function<void()>& body) {
  try {
    body();
  } catch (const std::exception& error) {  // TRuntimeError and, as a last resort, the library's
    std::fprintf(stderr, "%s\n", error.what());
    std::exit(-1);
  }
  return 0;
}
