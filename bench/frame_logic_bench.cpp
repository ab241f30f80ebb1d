// Logic cost of one playing frame with the null driver: the typical world, worlds up to a hundred
// times fuller, and a frame in which a hundred shots are fired.
#include <benchmark/benchmark.h>

#include "bench/world.h"
#include "engine/graphics.h"
#include "game/figure.h"
#include "game/globals.h"

namespace {

void BM_LogicFrame(benchmark::State& state) { RunWorldFrames(state, ScaledWorld(state.range(0))); }
BENCHMARK(BM_LogicFrame)
    ->ArgName("factor")
    ->Arg(1)
    ->Arg(2)
    ->Arg(5)
    ->Arg(10)
    ->Arg(20)
    ->Arg(50)
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// The figure fires its gun a hundred times, then the frame runs with every trail effect.
void BM_HundredShots(benchmark::State& state) {
  constexpr int kShots = 100;
  bool run_right = true;
  for (auto _ : state) {
    state.PauseTiming();
    BuildWorld(ScaledWorld(1), run_right);
    run_right = !run_right;
    fig->dir = run_right ? 1 : -1;
    stock[1] = kShots;
    state.ResumeTiming();
    for (int i = 0; i < kShots; ++i) fig->Sht();
    PlayFrame();
  }
  state.counters["effects_after"] = CountList(effects);
}
BENCHMARK(BM_HundredShots)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  OpenGame(NullDraw2DDriver());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
