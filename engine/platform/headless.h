// Extras of the offscreen backend that the desktop backend does not have: the command line of
// stomp-headless, the virtual clock, scripted input, screenshots and the per-frame observer.
//
// Frame f is the f-th presented frame (SwapWindow call), counted from 0. Virtual clock: Millisecs()
// starts at `clock` and moves only when the game waits; the 50 Hz timer's tick k falls at
// clock + 20 k. At the SwapWindow of frame f, in this order: the screenshots of frame f, the swap,
// the frame observer, the stalls of frame f (the clock jumps), the exit after the last frame of
// --frames, and the queueing of frame f+1's scripted events. Frame 0's events are queued when the
// window opens, so every frame's events are seen by its first message processing.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/platform.h"

namespace headless {

struct Options {
  int frames = -1;  // stop after this many frames (exit 0); -1 runs until the game ends
  int clock = 0;
  std::string input;                                     // input script path, empty for none
  std::string trace;                                     // JSON Lines trace path, empty for none
  std::vector<std::pair<int, std::string>> screenshots;  // frame, PNG path
  bool null_driver = false;
};

// Parses the command line; false with a one-line `error` on a bad argument. Also refuses
// screenshots that could never be taken (null driver, or a frame past --frames).
bool ParseArgs(int argc, char** argv, Options& options, std::string& error);

// Installs the options (reads the input script; false with `error` naming the line when unreadable)
// and resets the clock, the event queue, the timers and the frame count. Called by stomp-headless
// once before the game starts, and by tests before each case.
bool Configure(const Options& options, std::string& error);

// Called after each frame has been presented, with the frame number; the trace writer uses it.
void SetFrameObserver(std::function<void(int frame)> observer);

// A parsed input script: every event with the frame before which it is queued, in frame order and,
// within a frame, in the order of the lines; and the extra milliseconds of stalled frames.
struct InputScript {
  std::vector<std::pair<int, platform::Event>> events;  // frame, event
  std::vector<std::pair<int, int>> stalls;              // frame, milliseconds
};

// Reads script text; `name` prefixes errors ("input.txt:3: unknown key \"lft\"").
bool ReadInputScript(std::string_view text, const std::string& name, InputScript& script,
                     std::string& error);

// For tests that drive the engine directly: queue an event as if the window system had sent it,
// and move the virtual clock forward (ticks that fall due are queued as the clock passes them).
void QueueEvent(const platform::Event& event);
void AdvanceClock(int ms);

}  // namespace headless
