// Start-up of stomp-headless up to its first presented frame, and the memory it takes to get there.
// The wall time includes the process's exit right after that frame. One run per repetition, so
// the median tells the usual start and the max the worst one seen.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/child_process.h"

namespace {

void MeasureRuns(benchmark::State& state, const std::string& exe,
                 const std::vector<std::string>& args) {
  ScratchDir dir;
  for (auto _ : state) {
    const ChildRun run = RunProgram(dir, exe, args);
    if (run.status != 0) {
      state.SkipWithError("the program did not exit with status 0");
      return;
    }
    state.SetIterationTime(run.seconds);
    state.counters["peak_rss_MiB"] = run.peak_rss_mib;
  }
}

void BM_StartupToFirstFrame(benchmark::State& state, std::vector<std::string> args) {
  args.insert(args.begin(), {"--frames", "1"});
  MeasureRuns(state, STOMP_HEADLESS_EXE, args);
}

// What the offscreen GL stack costs before the game loads anything.
void BM_BareGlContext(benchmark::State& state) { MeasureRuns(state, GL_BASELINE_EXE, {}); }

double Largest(const std::vector<double>& values) {
  return *std::max_element(values.begin(), values.end());
}
void OneRunPerRepetition(benchmark::internal::Benchmark* b) {
  b->UseManualTime()->Iterations(1)->Repetitions(10)->ComputeStatistics("max", Largest);
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_StartupToFirstFrame, gl, std::vector<std::string>{})
    ->Apply(OneRunPerRepetition);
BENCHMARK(BM_BareGlContext)->Apply(OneRunPerRepetition);
BENCHMARK_CAPTURE(BM_StartupToFirstFrame, null, std::vector<std::string>{"--driver", "null"})
    ->Apply(OneRunPerRepetition);

}  // namespace
