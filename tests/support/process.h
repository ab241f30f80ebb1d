// Child processes and the scratch directories they run in, for the tests and the benchmarks that
// run the game's executables.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// How long a wait for a child or a window may take before a test gives up. The machine may be busy
// with other builds and tests: every wait ends as soon as its condition holds, so only a broken
// program waits this long.
constexpr std::chrono::milliseconds kPatience = std::chrono::seconds(60);

// Polls `done` every 50 ms until it holds or `limit` passes; answers whether it held.
bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = kPatience);

// A directory under $TMPDIR (or /tmp) removed with everything in it when the last owner lets go.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Runs a shell command; answers its standard output.
std::string Capture(const std::string& command);

// Starts `argv` (looked up on PATH) in `dir`, reading nothing, with stdout and stderr going to
// `output`; each entry of `env` is set, or unset when it holds no value. Answers the child's pid.
pid_t StartProcess(const std::vector<std::string>& argv, const std::string& dir,
                   const std::string& output,
                   const std::map<std::string, std::optional<std::string>>& env = {});

// Waits up to `limit` for the child; answers its exit status (128 + signal when killed), or -1
// while it is still running.
int WaitExit(pid_t pid, std::chrono::milliseconds limit);

// Waits for the child, killing it (SIGKILL) once `limit` has passed; answers its status as a shell
// reports it and sets `*killed` when the limit was reached.
int FinishProcess(pid_t pid, std::chrono::milliseconds limit, bool* killed = nullptr);

// Ends the child (SIGTERM, then SIGKILL after 3 s) and sets `pid` to 0; nothing for pid <= 0.
void StopProcess(pid_t& pid);

// What a finished child cost, from the kernel's own accounting of that child alone.
struct ChildCost {
  int status = -1;          // as FinishProcess answers it; -1 when waiting failed
  double cpu_seconds = 0;   // user + system time of all its threads
  double peak_rss_mib = 0;  // its peak resident set
  long minor_faults = 0;    // pages it touched for the first time (and other minor faults)
};

// Waits (without limit) for the child and answers its cost.
ChildCost WaitCost(pid_t pid);

// CPU time the running process `pid` has used so far, all its threads together, in seconds;
// negative when the process is gone.
double CpuSecondsSoFar(pid_t pid);

// The running process's peak resident set so far in MiB; negative when it is gone.
double PeakRssMibSoFar(pid_t pid);

}  // namespace testing_support
