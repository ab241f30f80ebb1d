#include "support/x_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace testing_support {

using namespace std::chrono_literals;

std::string Capture(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

pid_t StartProcess(const std::vector<std::string>& argv, const std::string& dir, const std::string& output,
                   const std::map<std::string, std::optional<std::string>>& env) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (const auto& [name, value] : env) {
    if (value) setenv(name.c_str(), value->c_str(), 1);
    else unsetenv(name.c_str());
  }
  if (!freopen(output.c_str(), "w", stdout) || !freopen(output.c_str(), "a", stderr) ||
      chdir(dir.c_str()) != 0)
    _exit(127);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

int WaitExit(pid_t pid, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(10ms);
  }
  return -1;
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

Xvfb::Xvfb() {
  // -displayfd picks a free display number and writes it to the pipe once the server is ready, so
  // parallel tests never race for a number.
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
           "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) {
    WaitExit(pid_, 2000ms);
    pid_ = 0;
    return;
  }
  display_ = ":" + number;
}

Xvfb::~Xvfb() { StopProcess(pid_); }

}  // namespace testing_support
