// Between the files of the offscreen backend: the backend (headless.cpp) calls the run control
// (headless_run.cpp) at the moments of a frame, and the run control resets the backend and writes
// screenshots (headless_screenshot.cpp).
#pragma once

#include <string>

namespace headless {

// Run control, called by the backend.
void WindowOpened();                     // queues frame 0's scripted events, once per Configure
void FrameDrawn(int width, int height);  // GL only, before the swap: this frame's screenshots
void FramePresented();                   // observer, stalls, the exit, next frame's events

// Ends stomp-headless with status 2 and the message on one line.
[[noreturn]] void Fatal(const std::string& message);

// The backend, called by the run control: the clock set to `clock`, no events, no timers.
void ResetBackend(int clock);

// Writes the width x height back buffer of the current GL context to `path` as a PNG, top row
// first; false with errno set (0 when the system gave no reason) when it cannot.
bool WriteScreenshot(const std::string& path, int width, int height);

}  // namespace headless
