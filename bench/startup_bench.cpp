// Start-up of stomp-headless up to its first presented frame, against the floor the offscreen GL
// stack sets: gl_baseline opens the same context and draws one of each kind of thing the game's
// first frames draw. Every repetition runs the floor, the game with the GL driver and the game with
// the null driver back to back (the order turning each time), so that the ratios compare runs
// under the same load; the CPU time of each child (all its threads) is what the goals are judged
// on. Each run starts in a fresh directory and must exit 0 after tracing exactly one frame.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/run_child.h"

namespace {

struct Kind {
  const char* name;
  std::string exe;
  std::vector<std::string> args;
  bool game;
};

void BM_HeadlessStartup(benchmark::State& state) {
  static int turn = 0;
  const std::vector<Kind> kinds = {
      {"floor", GL_BASELINE_EXE, {}, false},
      {"gl", STOMP_HEADLESS_EXE, {"--frames", "1"}, true},
      {"null", STOMP_HEADLESS_EXE, {"--frames", "1", "--driver", "null"}, true},
  };
  for (auto _ : state) {
    ChildRun runs[3];
    for (size_t i = 0; i < kinds.size(); ++i) {
      const size_t k = (i + turn) % kinds.size();
      runs[k] = RunChild(kinds[k].exe, kinds[k].args, kinds[k].game);
      if (runs[k].cost.status != 0 || (kinds[k].game && runs[k].trace_lines != 1)) {
        state.SkipWithError((std::string(kinds[k].name) + ": no clean run of one frame").c_str());
        return;
      }
    }
    ++turn;
    state.SetIterationTime(runs[1].wall_seconds);
    for (size_t k = 0; k < kinds.size(); ++k) {
      const std::string name = kinds[k].name;
      state.counters[name + "_cpu_ms"] = runs[k].cost.cpu_seconds * 1e3;
      state.counters[name + "_wall_ms"] = runs[k].wall_seconds * 1e3;
      state.counters[name + "_rss_MiB"] = runs[k].cost.peak_rss_mib;
      state.counters[name + "_faults"] = static_cast<double>(runs[k].cost.minor_faults);
    }
    const ChildRun& floor = runs[0];
    state.counters["gl_cpu_ratio"] = runs[1].cost.cpu_seconds / floor.cost.cpu_seconds;
    state.counters["null_cpu_ratio"] = runs[2].cost.cpu_seconds / floor.cost.cpu_seconds;
    state.counters["gl_wall_ratio"] = runs[1].wall_seconds / floor.wall_seconds;
    state.counters["gl_rss_over_floor_MiB"] = runs[1].cost.peak_rss_mib - floor.cost.peak_rss_mib;
  }
}

BENCHMARK(BM_HeadlessStartup)->Apply([](auto* b) { OneRunPerRepetition(b, 15); });

}  // namespace
