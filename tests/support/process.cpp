#include "support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace testing_support {

using namespace std::chrono_literals;

namespace {

int ShellStatus(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(50ms);
  }
}

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/stomp-test-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("cannot make a directory from " + pattern);
  path_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string Capture(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

pid_t StartProcess(const std::vector<std::string>& argv, const std::string& dir,
                   const std::string& output,
                   const std::map<std::string, std::optional<std::string>>& env) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (const auto& [name, value] : env) {
    if (value)
      setenv(name.c_str(), value->c_str(), 1);
    else
      unsetenv(name.c_str());
  }
  const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int in = open("/dev/null", O_RDONLY);
  if (out < 0 || in < 0 || chdir(dir.c_str()) != 0) _exit(127);
  dup2(in, 0);
  dup2(out, 1);
  dup2(out, 2);
  execvp(args[0], args.data());
  _exit(127);
}

int WaitExit(pid_t pid, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid, &status, WNOHANG) == pid) return ShellStatus(status);
    std::this_thread::sleep_for(2ms);
  }
  return -1;
}

int FinishProcess(pid_t pid, std::chrono::milliseconds limit, bool* killed) {
  const int status = WaitExit(pid, limit);
  if (status != -1) return status;
  if (killed) *killed = true;
  kill(pid, SIGKILL);
  int raw = 0;
  waitpid(pid, &raw, 0);
  return ShellStatus(raw);
}

void StopProcess(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  if (WaitExit(pid, 3000ms) == -1) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  pid = 0;
}

ChildCost WaitCost(pid_t pid) {
  ChildCost cost;
  int status = 0;
  struct rusage usage {};
  // wait4 gives this child's own figures, not the maximum over every child so far.
  if (wait4(pid, &status, 0, &usage) != pid) return cost;
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  cost.status = ShellStatus(status);
  cost.cpu_seconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  cost.peak_rss_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
  cost.minor_faults = usage.ru_minflt;
  return cost;
}

double CpuSecondsSoFar(pid_t pid) {
  // The process's CPU clock: every thread, ended ones included, to the nanosecond.
  clockid_t clock;
  timespec now{};
  if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &now) != 0) return -1;
  return now.tv_sec + now.tv_nsec / 1e9;
}

double PeakRssMibSoFar(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  while (in >> key) {
    if (key != "VmHWM:") continue;
    double kib = 0;
    in >> kib;
    return kib / 1024.0;
  }
  return -1;
}

}  // namespace testing_support
