#include "support/x_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace testing_support {

using namespace std::chrono_literals;

namespace {

// Starts Xvfb on display `number` and returns its pid once it reports ready, or 0.
pid_t StartXvfb(int number, bool black_root, const std::string& screen) {
  int fds[2];
  if (pipe(fds) != 0) return 0;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::string display = ":" + std::to_string(number);
    const std::string fd = std::to_string(fds[1]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    // -noreset: by default the server resets whenever its last client leaves, and a client
    // connecting during that reset is refused; the readiness probe below is such a last client.
    std::vector<const char*> argv = {"Xvfb", display.c_str(), "-displayfd", fd.c_str(), "-screen",
                                     "0",    screen.c_str(),  "-nolisten",  "tcp",      "-noreset"};
    if (black_root) argv.push_back("-br");
    argv.push_back(nullptr);
    execvp("Xvfb", const_cast<char* const*>(argv.data()));
    _exit(127);
  }
  close(fds[1]);
  std::string reported;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') reported += c;
  close(fds[0]);
  if (reported.empty()) {
    WaitExit(pid, 2000ms);
    return 0;
  }
  return pid;
}

}  // namespace

std::string OnDisplay(const std::string& display, const std::string& command) {
  return Capture("DISPLAY=" + display + " " + command + " 2>/dev/null");
}

std::string FindGameWindow(const std::string& display) {
  const std::string ids =
      OnDisplay(display, "xdotool search --onlyvisible --name '^Corvane Application$'");
  return ids.substr(0, ids.find('\n'));
}

Xvfb::Xvfb(bool black_root, const std::string& screen) {
  // Each test process takes display numbers of its own, derived from its pid, rather than the
  // lowest free one: a server another test is just stopping removes its socket on the way out,
  // and a new server that had taken the same number would lose its socket to that clean-up.
  // -displayfd reports on the pipe once the server accepts clients; a number in use fails at once.
  for (int attempt = 0; attempt < 8 && pid_ == 0; ++attempt) {
    const int number = 100 + (static_cast<int>(getpid()) * 8 + attempt) % 30000;
    pid_ = StartXvfb(number, black_root, screen);
    if (pid_ != 0) display_ = ":" + std::to_string(number);
  }
}

Xvfb::~Xvfb() { StopProcess(pid_); }

WindowManager::WindowManager(const std::string& display, const std::string& output) {
  if (Capture("command -v openbox").empty()) return;
  // It has taken over once it names itself on the root window.
  const std::string check = "DISPLAY=" + display + " xprop -root _NET_SUPPORTING_WM_CHECK 2>&1";
  pid_ = StartProcess({"openbox", "--sm-disable"}, "/", output, {{"DISPLAY", display}});
  for (int i = 0; i < 400 && !ready_; ++i) {
    if (Capture(check).find("window id") != std::string::npos) {
      ready_ = true;
    } else if (WaitExit(pid_, 25ms) != -1) {
      pid_ = 0;
      return;
    }
  }
}

WindowManager::~WindowManager() { StopProcess(pid_); }

}  // namespace testing_support
