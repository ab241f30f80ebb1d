// Runs a test in a fresh temporary working directory, for game code that reads and writes files
// relative to it ("stats.dat", "gfx/map.dat").
#pragma once

#include <filesystem>
#include <string>

#include "support/headless_run.h"

class InTempDir {
 public:
  InTempDir() : _old(std::filesystem::current_path()) {
    std::filesystem::current_path(_dir.path());
  }
  ~InTempDir() { std::filesystem::current_path(_old); }
  InTempDir(const InTempDir&) = delete;
  InTempDir& operator=(const InTempDir&) = delete;

 private:
  testing_support::TempDir _dir;  // made before the working directory moves into it
  std::filesystem::path _old;
};
