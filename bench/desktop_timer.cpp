// The desktop 50 Hz timer over one minute on the real window system (run it under Xvfb or on a
// desktop): ticks per second as counted by WaitTimer on the main thread, and how far frame starts
// stray from the ideal 20 ms grid. A frame does what the game's idle frame does: poll, clear,
// present without sync, wait for the timer.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/platform.h"
#include "engine/system.h"

namespace {

using Clock = std::chrono::steady_clock;

void BM_DesktopTimer(benchmark::State& state) {
  const double seconds = 60;
  std::string error;
  if (!platform::OpenWindow(800, 576, "Corvane Application", true, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    TTimerPtr timer = CreateTimer(50);
    if (!timer) {
      state.SkipWithError("CreateTimer(50) failed");
      break;
    }
    std::vector<double> starts;  // ms since the timer started
    Clock::time_point begin = Clock::now();
    WaitTimer(*timer);  // align the first frame with a tick, as the game's loop is after start-up
    Clock::time_point grid = Clock::now();
    for (;;) {
      double t = std::chrono::duration<double, std::milli>(Clock::now() - grid).count();
      if (t >= seconds * 1000) break;
      starts.push_back(t);
      PollSystem();
      glClear(GL_COLOR_BUFFER_BIT);
      platform::SwapWindow(0);
      WaitTimer(*timer);
    }
    double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
    state.SetIterationTime(elapsed);
    state.counters["ticks_per_s"] = timer->Ticks() / elapsed;
    state.counters["frames_per_s"] =
        starts.size() / (std::chrono::duration<double>(Clock::now() - grid).count());
    // Interval spread: min and max time between frame starts. Drift: the worst distance of
    // frame k's start from k * 20 ms, and that distance at the end of the minute.
    double min_gap = 1e9, max_gap = 0, worst = 0;
    for (size_t k = 1; k < starts.size(); ++k) {
      min_gap = std::min(min_gap, starts[k] - starts[k - 1]);
      max_gap = std::max(max_gap, starts[k] - starts[k - 1]);
    }
    for (size_t k = 0; k < starts.size(); ++k)
      worst = std::max(worst, std::abs(starts[k] - 20.0 * k));
    state.counters["gap_min_ms"] = min_gap;
    state.counters["gap_max_ms"] = max_gap;
    state.counters["offgrid_max_ms"] = worst;
    state.counters["offgrid_end_ms"] =
        starts.empty() ? 0 : starts.back() - 20.0 * (starts.size() - 1);
    timer->Stop();
  }
  platform::CloseWindow();
}

BENCHMARK(BM_DesktopTimer)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
