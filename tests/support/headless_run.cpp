#include "support/headless_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testing_support {

namespace fs = std::filesystem;

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
  fs::remove_all(path_, ignored);
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool HaveGfx() { return fs::is_directory(fs::path(STOMP_SOURCE_DIR) / "gfx"); }

namespace {

// Starts the executable in `dir` with stdout and stderr going to `output`; returns the pid.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& dir, const std::string& output) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int null_in = open("/dev/null", O_RDONLY);
    if (fd < 0 || null_in < 0 || chdir(dir.c_str()) != 0) _exit(127);
    dup2(null_in, 0);
    dup2(fd, 1);
    dup2(fd, 2);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

// Waits for the child; kills it after `timeout_ms`. Answers the status as a shell would.
int Reap(pid_t pid, int timeout_ms, bool& timed_out) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  int status = 0;
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0) throw std::runtime_error("waitpid failed");
    if (std::chrono::steady_clock::now() > deadline) {
      timed_out = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

void ReadTrace(const std::string& path, RunResult& result) {
  std::ifstream in(path);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::string error;
    std::optional<json::Value> value = json::Parse(line, &error);
    if (!value || !value->IsObject()) {
      if (result.trace_error.empty())
        result.trace_error = "trace line " + std::to_string(number) + ": " +
                             (value ? "not an object" : error) + ": " + line.substr(0, 200);
      continue;
    }
    result.trace.push_back(std::move(*value));
  }
}

}  // namespace

RunResult RunHeadless(const RunOptions& options) {
  RunResult result;
  result.dir = std::make_shared<TempDir>();
  const TempDir& dir = *result.dir;
  if (options.gfx) fs::create_directory_symlink(fs::path(STOMP_SOURCE_DIR) / "gfx", dir.File("gfx"));
  if (options.stats) WriteFile(dir.File("stats.dat"), *options.stats);

  std::vector<std::string> argv = {STOMP_HEADLESS_EXE};
  if (options.input) {
    WriteFile(dir.File("input.txt"), *options.input);
    argv.insert(argv.end(), {"--input", "input.txt"});
  }
  if (options.trace) argv.insert(argv.end(), {"--trace", "trace.jsonl"});
  argv.insert(argv.end(), options.args.begin(), options.args.end());

  std::string output = dir.File(".output");
  result.status = Reap(Spawn(argv, dir.path(), output), options.timeout_ms, result.timed_out);
  result.stderr_text = ReadFile(output).value_or("");
  if (options.trace) ReadTrace(dir.File("trace.jsonl"), result);
  result.stats = ReadFile(dir.File("stats.dat"));
  return result;
}

}  // namespace testing_support
