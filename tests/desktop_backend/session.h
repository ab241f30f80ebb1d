// The desktop backend inside the test process: the real SDL backend opens its 800x576 GL window on
// a private 1920x1080 Xvfb with a window manager, and the cases run the game's own frames in it.
// Keys are typed through X (xdotool); gamepads are SDL's virtual joysticks, which only the SDL of
// this process can see. One X session serves every case of the process, because SDL's video stays
// tied to the display it opened first.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "support/process.h"

class DesktopBackendTest : public ::testing::Test {
 protected:
  // Skips when there is no X session; else fresh game globals, the real font, blank sheets, the
  // window back from fullscreen and focused, and no key held.
  void SetUp() override;
  void TearDown() override;

  // One frame as the main loop runs it (clock, frame, present), paced at about 50 Hz.
  static void Frame();
  // Runs frames until `done` holds or `limit` passes; answers whether it held.
  static bool FramesUntil(const std::function<bool()>& done,
                          std::chrono::milliseconds limit = testing_support::kPatience);
  // Runs an X tool on the session's display and answers its output.
  static std::string X(const std::string& command);
  static bool Fullscreen();
};
