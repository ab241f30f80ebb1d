#include "support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace testing_support {

using namespace std::chrono_literals;

namespace {

int ShellStatus(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

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

}  // namespace testing_support
