// A private X server for the desktop tests.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/process.h"

namespace testing_support {

// An Xvfb on a free display number, stopped when this object goes. display() is empty when the
// server could not start. `black_root` starts it with a black root window instead of the default
// pattern, so that a window shows black wherever nothing has been drawn into it yet.
class Xvfb {
 public:
  explicit Xvfb(bool black_root = false);
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;

  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = 0;
  std::string display_;
};

}  // namespace testing_support
