// A private X server for the desktop tests.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/process.h"

namespace testing_support {

// An Xvfb on a free display number of this process's own, with one screen of `screen`
// (WIDTHxHEIGHTxDEPTH), stopped when this object goes. display() is empty when the server could
// not start. `black_root` starts it with a black root window instead of the default pattern, so
// that a window shows black wherever nothing has been drawn into it yet.
class Xvfb {
 public:
  explicit Xvfb(bool black_root = false, const std::string& screen = "1280x1024x24");
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;

  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = 0;
  std::string display_;
};

// Runs a shell command with DISPLAY set to `display`; answers its standard output (its errors are
// dropped).
std::string OnDisplay(const std::string& display, const std::string& command);

// The id of the game's visible window on `display`, as X tools print it; empty while there is
// none.
std::string FindGameWindow(const std::string& display);

// A small window manager (openbox) on `display`, as on a player's desktop: it places, focuses and
// makes fullscreen the windows that ask. Stopped when this object goes; ready() is false when it
// is not installed or did not take over the display within a few seconds.
class WindowManager {
 public:
  WindowManager(const std::string& display, const std::string& output);
  ~WindowManager();
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;

  bool ready() const { return ready_; }

 private:
  pid_t pid_ = 0;
  bool ready_ = false;
};

}  // namespace testing_support
