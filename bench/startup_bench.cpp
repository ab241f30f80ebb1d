// Start-up of stomp-headless up to its first presented frame, and the memory it takes to get there.
// The wall time includes the process's exit right after that frame. One run per repetition, so
// the median tells the usual start and the max the worst one seen.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/child_process.h"

namespace {

void BM_StartupToFirstFrame(benchmark::State& state, std::vector<std::string> args) {
  ScratchDir dir;
  args.insert(args.begin(), {"--frames", "1"});
  for (auto _ : state) {
    const ChildRun run = RunHeadless(dir, args);
    if (run.status != 0) {
      state.SkipWithError("stomp-headless --frames 1 did not exit with status 0");
      return;
    }
    state.SetIterationTime(run.seconds);
    state.counters["peak_rss_MiB"] = run.peak_rss_mib;
  }
}

double Largest(const std::vector<double>& values) {
  return *std::max_element(values.begin(), values.end());
}
BENCHMARK_CAPTURE(BM_StartupToFirstFrame, gl, std::vector<std::string>{})
    ->UseManualTime()->Iterations(1)->Repetitions(10)->ComputeStatistics("max", Largest)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartupToFirstFrame, null, std::vector<std::string>{"--driver", "null"})
    ->UseManualTime()->Iterations(1)->Repetitions(10)->ComputeStatistics("max", Largest)
    ->Unit(benchmark::kMillisecond);

}  // namespace
