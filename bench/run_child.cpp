#include "bench/run_child.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

using testing_support::TempDir;

std::unique_ptr<TempDir> RunDirectory() {
  auto dir = std::make_unique<TempDir>();
  std::filesystem::create_directory_symlink(STOMP_SOURCE_DIR "/gfx", dir->File("gfx"));
  return dir;
}

ChildRun RunChild(const std::string& exe, std::vector<std::string> args, bool trace) {
  const std::unique_ptr<TempDir> dir = RunDirectory();
  if (trace) args.insert(args.end(), {"--trace", "trace.jsonl"});
  args.insert(args.begin(), exe);
  ChildRun run;
  const auto start = std::chrono::steady_clock::now();
  run.cost = testing_support::WaitCost(
      testing_support::StartProcess(args, dir->path(), dir->File("output.txt")));
  run.wall_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (trace) {
    std::ifstream in(dir->File("trace.jsonl"));
    for (std::string line; std::getline(in, line);) ++run.trace_lines;
  }
  return run;
}

void OneRunPerRepetition(benchmark::internal::Benchmark* b, int repetitions) {
  const auto smallest = [](const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
  };
  const auto largest = [](const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
  };
  b->UseManualTime()->Iterations(1)->Repetitions(repetitions);
  b->ComputeStatistics("min", smallest)->ComputeStatistics("max", largest);
  b->Unit(benchmark::kMillisecond);
}
