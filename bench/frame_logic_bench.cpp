// Logic cost of one playing frame with the null driver: the typical world, worlds up to a hundred
// times fuller, each kind of actor grown on its own, and a frame in which a hundred shots are
// fired.
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

// Growth per kind of actor: one kind grows from its count in the typical world while the other
// two keep theirs, so each fit's slope is the cost of one more actor of that kind.
void BM_GrowOneKind(benchmark::State& state, int WorldSize::*kind) {
  WorldSize size = ScaledWorld(1);
  size.*kind = static_cast<int>(state.range(0));
  RunWorldFrames(state, size);
  state.SetComplexityN(state.range(0));
}
BENCHMARK_CAPTURE(BM_GrowOneKind, creatures, &WorldSize::creatures)
    ->Arg(25)
    ->Arg(250)
    ->Arg(1000)
    ->Arg(2500)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_GrowOneKind, drops, &WorldSize::drops)
    ->Arg(5)
    ->Arg(50)
    ->Arg(200)
    ->Arg(500)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_GrowOneKind, effects, &WorldSize::effects)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(10000)
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
    stock[kAmmunition] = kShots;
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
