// Simulation speed: frames per second of stomp-headless with the null driver over a long scripted
// session that starts game after game, runs and jumps about, and lets each game end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/child_process.h"

namespace {

constexpr int kFrames = 30000;  // ten minutes of play
constexpr int kCycle = 200;     // frames of one round of the script

// Space twice at the start of each round: from the game-over screen to the menu, then into a new
// game (during play it uses the item in hand). Up and down never fall between the two, where the
// menu would take them and could select the quit line.
std::string InputScript() {
  std::string script = "# one round of the benchmark's session, repeated\n";
  const auto line = [&script](int frame, const char* key, const char* what) {
    script += std::to_string(frame) + " " + key + " " + what + "\n";
  };
  for (int start = 0; start < kFrames; start += kCycle) {
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

std::string WriteScript(const ScratchDir& dir) {
  const std::string path = dir.path() + "/input.txt";
  std::ofstream(path) << InputScript();
  return path;
}

struct SessionCheck {
  int frames = 0;      // frames traced: fewer than asked means the session quit early
  int game_overs = 0;  // games that reached the game-over screen
};

// Replays the session once with a trace on a pipe, to show that the timed runs play all their
// frames and whole games, not only the menu (the runs are exactly repeatable).
SessionCheck CheckSession(const ScratchDir& dir, const std::string& script) {
  const std::string command =
      "cd '" + dir.path() + "' && '" STOMP_HEADLESS_EXE "' --driver null --frames " +
      std::to_string(kFrames) + " --input '" + script + "' --trace /dev/stdout";
  SessionCheck check;
  std::FILE* trace = popen(command.c_str(), "r");
  if (!trace) return check;
  int previous = 0;
  char* text = nullptr;
  size_t capacity = 0;
  constexpr char kKey[] = "\"gamestate\":";
  while (getline(&text, &capacity, trace) > 0) {
    const char* field = std::strstr(text, kKey);
    if (!field) continue;
    ++check.frames;
    const int gamestate = std::atoi(field + sizeof kKey - 1);
    if (gamestate == 3 && previous != 3) ++check.game_overs;
    previous = gamestate;
  }
  std::free(text);
  pclose(trace);
  return check;
}

void BM_SimulationSpeed(benchmark::State& state) {
  ScratchDir dir;
  const std::string script = WriteScript(dir);
  const SessionCheck check = CheckSession(dir, script);
  if (check.frames != kFrames) {
    state.SkipWithError("the scripted session did not play all its frames");
    return;
  }
  const std::vector<std::string> args = {"--driver", "null", "--frames", std::to_string(kFrames),
                                         "--input",  script};
  double seconds = 0;
  for (auto _ : state) {
    const ChildRun run = RunProgram(dir, STOMP_HEADLESS_EXE, args);
    if (run.status != 0) {
      state.SkipWithError("the scripted session did not exit with status 0");
      return;
    }
    state.SetIterationTime(run.seconds);
    seconds += run.seconds;
  }
  const double fps = kFrames * static_cast<double>(state.iterations()) / seconds;
  state.counters["frames"] = kFrames;
  state.counters["frames_per_s"] = fps;
  state.counters["times_real_time"] = fps / 50.0;
  state.counters["game_overs"] = check.game_overs;
}
BENCHMARK(BM_SimulationSpeed)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
