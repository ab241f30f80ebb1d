// Simulation speed: stomp-headless with the null driver over a long scripted session that starts
// game after game, runs and jumps about, and lets each game end. Every run starts in a fresh
// directory (no saved progress carried between runs) and writes its trace into a pipe that the
// benchmark reads, so each timed run is checked to play all its frames and reach game over the
// same number of times; the figures include writing that trace. Start-up is kept out of the
// per-frame figures by subtracting a one-frame run of the same program, measured alongside.
#include <sys/stat.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/run_child.h"
#include "game/model.h"

namespace {

using testing_support::TempDir;

constexpr int kFrames = 30000;  // ten minutes of play
constexpr int kCycle = 200;     // frames of one round of the script

// Space twice at the start of each round: from the game-over screen to the menu, then into a new
// game (during play it uses the item in hand). Up and down never fall between the two, where the
// menu would take them and could select the quit line.
std::string InputScript(int frames) {
  std::string script = "# one round of the benchmark's session, repeated\n";
  const auto line = [&script](int frame, const char* key, const char* what) {
    script += std::to_string(frame) + " " + key + " " + what + "\n";
  };
  for (int start = 0; start < frames; start += kCycle) {
    line(start, "space", "tap");
    line(start + 2, "space", "tap");
    line(start + 10, "right", "down");
    line(start + 90, "right", "up");
    line(start + 100, "left", "down");
    line(start + 180, "left", "up");
    for (int jump : {20, 50, 53, 120, 150, 153}) line(start + jump, "up", "tap");
    for (int dash : {70, 170}) line(start + dash, "down", "tap");
  }
  return script;
}

struct SessionRun {
  testing_support::ChildCost cost;
  double wall_seconds = 0;
  int frames = 0;      // frames traced: fewer than asked means the session quit early
  int game_overs = 0;  // games that reached the game-over screen
  int playing = 0;     // frames in the playing state
};

// Plays `frames` frames of the session in a fresh directory, reading the trace (and any error
// text) from a pipe.
SessionRun PlaySession(int frames, const std::vector<std::string>& driver) {
  const std::unique_ptr<TempDir> dir = RunDirectory();
  std::ofstream(dir->File("input.txt")) << InputScript(frames);
  const std::string fifo = dir->File("trace.fifo");
  SessionRun run;
  if (mkfifo(fifo.c_str(), 0600) != 0) return run;
  std::vector<std::string> argv = {STOMP_HEADLESS_EXE, "--frames",  std::to_string(frames),
                                   "--input",          "input.txt", "--trace",
                                   "/dev/stdout"};
  argv.insert(argv.end(), driver.begin(), driver.end());
  const auto start = std::chrono::steady_clock::now();
  // The child opens the pipe as its output before anything else, so opening it here never waits
  // for a child that failed.
  const pid_t pid = testing_support::StartProcess(argv, dir->path(), fifo);
  if (std::FILE* trace = std::fopen(fifo.c_str(), "r")) {
    constexpr char kKey[] = "\"gamestate\":";
    int previous = 0;
    char* text = nullptr;
    size_t capacity = 0;
    while (getline(&text, &capacity, trace) > 0) {
      const char* field = std::strstr(text, kKey);
      if (!field) continue;
      ++run.frames;
      const int gamestate = std::atoi(field + sizeof kKey - 1);
      if (gamestate == kGameOver && previous != kGameOver) ++run.game_overs;
      if (gamestate == kPlaying) ++run.playing;
      previous = gamestate;
    }
    std::free(text);
    std::fclose(trace);
  }
  run.cost = testing_support::WaitCost(pid);
  run.wall_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return run;
}

void BM_SimulationSpeed(benchmark::State& state) {
  const std::vector<std::string> null_driver = {"--driver", "null"};
  int expected_game_overs = -1;
  for (auto _ : state) {
    const SessionRun one = PlaySession(1, null_driver);
    const SessionRun run = PlaySession(kFrames, null_driver);
    if (run.cost.status != 0 || run.frames != kFrames || one.frames != 1) {
      state.SkipWithError("a run did not play all its frames and exit with status 0");
      return;
    }
    if (expected_game_overs >= 0 && run.game_overs != expected_game_overs) {
      state.SkipWithError("runs of the same session differ");
      return;
    }
    expected_game_overs = run.game_overs;
    const double cpu = run.cost.cpu_seconds - one.cost.cpu_seconds;
    const double wall = run.wall_seconds - one.wall_seconds;
    state.SetIterationTime(wall);
    state.counters["frames"] = kFrames;
    state.counters["game_overs"] = run.game_overs;
    state.counters["playing_share"] = static_cast<double>(run.playing) / kFrames;
    state.counters["cpu_us_per_frame"] = cpu * 1e6 / (kFrames - 1);
    state.counters["wall_us_per_frame"] = wall * 1e6 / (kFrames - 1);
    state.counters["frames_per_cpu_s"] = (kFrames - 1) / cpu;
    state.counters["startup_cpu_ms"] = one.cost.cpu_seconds * 1e3;
  }
}
BENCHMARK(BM_SimulationSpeed)->Apply([](auto* b) { OneRunPerRepetition(b, 3); });

// Peak memory over a long game with the GL driver, against the offscreen GL floor: the session
// above for 20,000 frames (many games, not the menu), checked like the timed runs. The same
// session with the null driver, and its first frame alone, show the game's own share of it.
void BM_LongGameMemory(benchmark::State& state) {
  constexpr int kLongFrames = 20000;
  const std::vector<std::string> null_driver = {"--driver", "null"};
  for (auto _ : state) {
    const ChildRun floor = RunChild(GL_BASELINE_EXE, {});
    const SessionRun run = PlaySession(kLongFrames, {});
    const SessionRun null_run = PlaySession(kLongFrames, null_driver);
    const SessionRun null_first = PlaySession(1, null_driver);
    if (floor.cost.status != 0 || run.cost.status != 0 || run.frames != kLongFrames ||
        null_run.frames != kLongFrames || null_first.frames != 1) {
      state.SkipWithError("a run did not play all its frames and exit with status 0");
      return;
    }
    state.SetIterationTime(run.wall_seconds);
    state.counters["frames"] = kLongFrames;
    state.counters["game_overs"] = run.game_overs;
    state.counters["playing_share"] = static_cast<double>(run.playing) / kLongFrames;
    state.counters["peak_rss_MiB"] = run.cost.peak_rss_mib;
    state.counters["floor_rss_MiB"] = floor.cost.peak_rss_mib;
    state.counters["rss_over_floor_MiB"] = run.cost.peak_rss_mib - floor.cost.peak_rss_mib;
    state.counters["null_peak_rss_MiB"] = null_run.cost.peak_rss_mib;
    state.counters["null_first_frame_rss_MiB"] = null_first.cost.peak_rss_mib;
  }
}
BENCHMARK(BM_LongGameMemory)->Apply([](auto* b) { OneRunPerRepetition(b, 1); });

}  // namespace
