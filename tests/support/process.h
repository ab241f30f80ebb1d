// Child processes for the tests that run the game's executables.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

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

}  // namespace testing_support
