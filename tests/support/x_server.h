// A private X server for the desktop tests.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/process.h"

namespace testing_support {

// An Xvfb on a free display number, stopped when this object goes. display() is empty when the
// server could not start.
class Xvfb {
 public:
  Xvfb();
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;

  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = 0;
  std::string display_;
};

}  // namespace testing_support
