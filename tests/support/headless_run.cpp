#include "support/headless_run.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/process.h"

namespace testing_support {

namespace fs = std::filesystem;

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

int ListeningUnixSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::listen(fd, 1) == 0)
    return fd;
  const int error = errno;
  ::close(fd);
  errno = error;
  return -1;
}

std::string StatsBytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values)
    for (int shift = 0; shift < 32; shift += 8)
      bytes += static_cast<char>((static_cast<unsigned>(value) >> shift) & 0xFF);
  return bytes;
}

bool HaveGfx() { return fs::is_directory(fs::path(STOMP_SOURCE_DIR) / "gfx"); }

namespace {

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
  if (options.gfx)
    fs::create_directory_symlink(fs::path(STOMP_SOURCE_DIR) / "gfx", dir.File("gfx"));
  if (options.stats) WriteFile(dir.File("stats.dat"), *options.stats);

  std::vector<std::string> argv = {STOMP_HEADLESS_EXE};
  if (options.input) {
    WriteFile(dir.File("input.txt"), *options.input);
    argv.insert(argv.end(), {"--input", "input.txt"});
  }
  if (options.trace) argv.insert(argv.end(), {"--trace", "trace.jsonl"});
  argv.insert(argv.end(), options.args.begin(), options.args.end());

  std::string output = dir.File(".output");
  result.status = FinishProcess(StartProcess(argv, dir.path(), output),
                                std::chrono::milliseconds(options.timeout_ms), &result.timed_out);
  result.stderr_text = ReadFile(output).value_or("");
  if (options.trace) ReadTrace(dir.File("trace.jsonl"), result);
  result.stats = ReadFile(dir.File("stats.dat"));
  return result;
}

}  // namespace testing_support
