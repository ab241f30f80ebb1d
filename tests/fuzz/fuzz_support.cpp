#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fuzz_support {

namespace {

std::string scratch_dir;

void RemoveScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(scratch_dir, ignored);
}

}  // namespace

void EnterScratchDir(int* argc, char*** argv) {
  static std::vector<std::string> absolute_paths;  // argv points into these for the whole run
  absolute_paths.reserve(static_cast<size_t>(*argc));
  for (int i = 1; i < *argc; ++i) {
    if ((*argv)[i][0] == '-') continue;
    absolute_paths.push_back(std::filesystem::absolute((*argv)[i]).string());
    (*argv)[i] = absolute_paths.back().data();
  }

  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/stomp-fuzz-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) Fail("cannot make a directory from " + pattern);
  scratch_dir = buffer.data();
  std::filesystem::create_directory(scratch_dir + "/gfx");
  if (chdir(scratch_dir.c_str()) != 0) Fail("cannot enter " + scratch_dir);
  std::atexit(RemoveScratchDir);
}

void WriteWholeFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) Fail("cannot write " + path);
  if (size > 0 && std::fwrite(data, 1, size, file) != size) Fail("short write to " + path);
  if (std::fclose(file) != 0) Fail("cannot close " + path);
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz property broken: %s\n", what.c_str());
  std::abort();
}

}  // namespace fuzz_support
