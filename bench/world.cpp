#include "bench/world.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/graphics.h"
#include "engine/image.h"
#include "engine/list.h"
#include "engine/numbers.h"
#include "engine/platform.h"
#include "engine/platform/headless.h"
#include "engine/stream.h"
#include "engine/system.h"
#include "game/creature.h"
#include "game/drop.h"
#include "game/effects.h"
#include "game/figure.h"
#include "game/font.h"
#include "game/globals.h"
#include "game/level.h"
#include "game/spawn.h"
#include "game/startup.h"

namespace {

constexpr int kWorldSeed = 20240;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
  std::exit(1);
}

// The images the frame draws, loaded as the game's start-up loads them.
void LoadSheets() {
  try {
    LoadGraphics();
  } catch (const TRuntimeError& error) { Fail(error.what()); }
}

// A mix close to what the waves bring: half small walkers, four in ten small movers, a crawler in
// ten, and one big creature in 25, the big kinds taking turns.
int MixedKind(int i) {
  if (i % 25 == 24) return kBigWalker + (i / 25) % 3;
  constexpr std::array<int, 10> small = {kWalker, kMover,  kWalker, kMover,  kWalker,
                                         kMover,  kWalker, kMover,  kWalker, kCrawler};
  return small[i % 10];
}

// Spawn points are spread over the level, so cycling through them spreads the actors too.
const T2D& SpawnPoint(int group, int i) {
  const std::vector<T2D>& points = spawns[group].empty() ? spawns[0] : spawns[group];
  return points[i % points.size()];
}

void AddCreatures(int count) {
  for (int i = 0; i < count; ++i) {
    const int kind = MixedKind(i);
    const T2D& p = SpawnPoint(kind, i);
    TCr::Cr(kind, p.x, p.y);
  }
  creatures.ForEach(
      [](TCr& c) { c.act = kCrActive; });  // skip the arrival wait: waiting costs nothing
}

void AddDrops(int count) {
  for (int i = 0; i < count; ++i) {
    const T2D& p = SpawnPoint(1 + i % 6, i);
    TDrp::Cr(i % 7, p.x, p.y - 8);
  }
}

// Arrival glows and wounds with their ten particles each, pick-up glows and shot trails.
void AddEffects(int count) {
  for (int i = 0; i < count; ++i) {
    const int x = 40 + (i * 97) % 720;
    const int y = 40 + (i * 61) % 496;
    switch (i % 10) {
      case 0:
      case 1:
      case 2: TGxS::Cr(x, y, 0xFF00F0); break;
      case 3:
      case 4:
      case 5: TGxW::Cr(x, y, 0xFF005A); break;
      case 6: TGxC::Cr(x, y, 0xFFFF00); break;
      default: TGxD::Cr(x, y, 0x00FFFF); break;
    }
  }
}

void HoldKey(int key, bool down) {
  headless::QueueEvent({down ? platform::kEventKeyDown : platform::kEventKeyUp, key});
}

}  // namespace

WorldSize ScaledWorld(int factor) { return {25 * factor, 5 * factor, 100 * factor}; }

void OpenGame(TDraw2DDriver* driver) {
  if (chdir(STOMP_SOURCE_DIR) != 0) Fail("cannot enter " STOMP_SOURCE_DIR);
  std::string error;
  if (!headless::Configure(headless::Options{}, error)) Fail(error);
  LoadSheets();
  SetGraphicsDriver(driver, 2);
  if (!Graphics(800, 576, 0, 60, 0)) Fail("cannot open the window: " + GraphicsError());
  LoadMap();
  BakeMap();
}

void BuildWorld(const WorldSize& size, bool run_right) {
  SeedRnd(kWorldSeed);
  creatures.Clear();
  drops.Clear();
  effects.Clear();
  gamestate = kPlaying;
  health = 5;
  score = 0;
  item = kNoItem;
  playtime = 0;
  nextwave = 1;  // no wave falls due within the frames a world is played
  flashend = 0;
  SpawnOne(kFigureGroup);
  fig->act = kFigStanding;
  AddCreatures(size.creatures);
  AddDrops(size.drops);
  effects.Clear();  // the arrivals' own glows are replaced by the chosen mix
  AddEffects(size.effects);
  HoldKey(run_right ? kKeyLeft : kKeyRight, false);
  HoldKey(run_right ? kKeyRight : kKeyLeft, true);
}

void PlayFrame() {
  now += kUpdateMs;
  DrawFrame();
}

void RunWorldFrames(benchmark::State& state, const WorldSize& size, void (*finish)()) {
  int frame = 0;
  bool run_right = true;
  for (auto _ : state) {
    if (frame % kFramesPerWorld == 0) {
      state.PauseTiming();
      BuildWorld(size, run_right);
      run_right = !run_right;
      state.ResumeTiming();
    }
    PlayFrame();
    if (finish) finish();
    ++frame;
  }
  state.counters["creatures"] = size.creatures;
  state.counters["drops"] = size.drops;
  state.counters["effects"] = size.effects;
  state.SetComplexityN(size.creatures + size.drops);
}
