#include "bench/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

extern char** environ;

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/stomp-bench-XXXXXX";
  if (!mkdtemp(pattern)) {
    std::perror("bench: mkdtemp");
    std::exit(1);
  }
  _path = pattern;
  std::filesystem::create_directory_symlink(STOMP_SOURCE_DIR "/gfx", _path + "/gfx");
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(_path, ignored);
}

ChildRun RunProgram(const ScratchDir& dir, const std::string& exe,
                    const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::string name = exe;
  argv.push_back(name.data());
  std::vector<std::string> copies = args;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

  ChildRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return run;
  int status = 0;
  struct rusage usage {};
  // wait4 gives this child's own figures, not the maximum over every child so far.
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.peak_rss_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
  return run;
}
