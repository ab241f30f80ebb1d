// Runs stomp-headless (or another program) in a scratch directory that sees the repository's
// run-time data, and measures the run from the outside.
#pragma once

#include <string>
#include <vector>

struct ChildRun {
  int status = -1;          // exit status; 128 + signal number when killed by one
  double seconds = 0;       // wall time from start to exit
  double peak_rss_mib = 0;  // the child's own peak resident set
};

// A directory under /tmp with a `gfx` link to the repository's gfx/, removed with its contents
// when it goes. Runs of the game may leave stats.dat there.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return _path; }

 private:
  std::string _path;
};

// Starts the program at `exe` with `args` in `dir`, waits for it and reports what it measured.
// Output of the child goes to /dev/null.
ChildRun RunProgram(const ScratchDir& dir, const std::string& exe,
                    const std::vector<std::string>& args);
