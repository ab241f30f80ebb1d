// Extras of the offscreen backend that the desktop backend does not have: the command line of
// stomp-headless, the virtual clock, scripted input, screenshots and the per-frame observer.
//
// Frame f is the f-th presented frame (SwapWindow call), counted from 0. Virtual clock: Millisecs()
// starts at `clock` and moves only when the game waits; the 50 Hz timer's tick k falls at
// clock + 20 k.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace headless {

struct Options {
  int frames = -1;  // stop after this many frames (exit 0); -1 runs until the game ends
  int clock = 0;
  std::string input;  // input script path, empty for none
  std::string trace;  // JSON Lines trace path, empty for none
  std::vector<std::pair<int, std::string>> screenshots;  // frame, PNG path
  bool null_driver = false;
};

// Parses the command line; false with a one-line `error` on a bad argument.
bool ParseArgs(int argc, char** argv, Options& options, std::string& error);

// Installs the options (reads the input script; false with `error` naming the line when unreadable).
// Call once before the game starts.
bool Configure(const Options& options, std::string& error);

// Called after each frame has been presented, with the frame number; the trace writer uses it.
void SetFrameObserver(std::function<void(int frame)> observer);

}  // namespace headless

namespace platform {
struct Event;
}

namespace headless {

// For tests that drive the engine directly: queue an event as if the window system had sent it,
// and move the virtual clock forward (ticks that fall due are queued as the clock passes them).
void QueueEvent(const platform::Event& event);
void AdvanceClock(int ms);

}  // namespace headless
